// Drives one engine instance over the generated back-end test library and
// records what comes out: audio bytes with the size of every output call,
// syllable reports, and the arena level around each synthesis.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_instance.h"
#include "core/qvtts.h"

inline std::string BackendLibrary(const char* name) { return std::string(KVO_BACKEND_TEST_LIBRARIES) + "/" + name; }

// Four GBK characters: zhong guo ni hao, then a full stop.
inline const char* kGbkText = "\xD6\xD0\xB9\xFA\xC8\xCB\xC3\xF1.";  // 中国人民. in GBK

struct SyllableReport {
  std::string character;
  std::string spelling;
  size_t audioBefore;  // audio bytes delivered before the report
};

class BackendEngine {
 public:
  explicit BackendEngine(const std::string& chinese = BackendLibrary("cn16k.lib"), const std::string& domain = "")
      : path_(chinese), domain_(domain) {}
  BackendEngine(const BackendEngine&) = delete;
  BackendEngine& operator=(const BackendEngine&) = delete;
  ~BackendEngine() {
    if (handle_ != nullptr && instance()->initialised == 1) qvTTS_End(handle_);
    std::free(block_);
  }

  int Init() {
    int32_t size = 0;
    const char* domain = domain_.empty() ? nullptr : domain_.c_str();
    if (qvTTS_GetExtBufSize(path_.c_str(), nullptr, domain, &size) != QVTTS_ERR_OK || size <= 0) size = 2 * 1024 * 1024;
    block_ = std::aligned_alloc(64, (static_cast<size_t>(size) + 63) / 64 * 64);
    std::memset(block_, 0, static_cast<size_t>(size));
    const int rc = qvTTS_Init(path_.c_str(), nullptr, domain, &handle_, block_);
    if (rc != QVTTS_ERR_OK) return rc;
    Set(QVTTS_PARAM_INPUT_MODE, 1);
    Set(QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Input));
    Set(QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Output));
    Set(QVTTS_PARAM_SYLLABLE_PROC, reinterpret_cast<intptr_t>(&Syllable));
    Set(QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this));
    return rc;
  }

  int Set(int id, intptr_t value) { return qvTTS_SetParam(handle_, id, value); }

  // Synthesizes a text; the arena level must come back to where it was.
  int Speak(const std::string& text) {
    text_ = text;
    served_ = 0;
    audio.clear();
    pieces.clear();
    reports.clear();
    finalCalls = 0;
    arenaBefore = instance()->arena_used;
    const int rc = qvTTS_SynthesizeText(handle_);
    arenaAfter = instance()->arena_used;
    return rc;
  }

  std::vector<int16_t> Samples16() const {
    std::vector<int16_t> s(audio.size() / 2);
    std::memcpy(s.data(), audio.data(), s.size() * 2);
    return s;
  }

  qvInstance* instance() const { return static_cast<qvInstance*>(block_); }
  qvTTS_HANDLE handle() const { return handle_; }

  std::vector<uint8_t> audio;
  std::vector<int32_t> pieces;
  std::vector<SyllableReport> reports;
  int finalCalls = 0;
  int32_t arenaBefore = 0;
  int32_t arenaAfter = 0;
  bool stopAtFirstOutput = false;

 private:
  static int Input(void* user, char* buffer, int32_t* length) {
    BackendEngine* e = static_cast<BackendEngine*>(user);
    const size_t n = std::min(static_cast<size_t>(*length), e->text_.size() - e->served_);
    std::memcpy(buffer, e->text_.data() + e->served_, n);
    e->served_ += n;
    *length = static_cast<int32_t>(n);
    return 0;
  }
  static int Output(void* user, int32_t, const void* data, int32_t bytes) {
    BackendEngine* e = static_cast<BackendEngine*>(user);
    if (data == nullptr && bytes == 0) {
      ++e->finalCalls;
      return 0;
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    e->audio.insert(e->audio.end(), p, p + bytes);
    e->pieces.push_back(bytes);
    if (e->stopAtFirstOutput) qvTTS_SynthStop(e->handle_);
    return 0;
  }
  static int Syllable(void* user, int32_t, const char* character, int32_t characterBytes, const char* spelling,
                      int32_t spellingBytes) {
    BackendEngine* e = static_cast<BackendEngine*>(user);
    e->reports.push_back({std::string(character, static_cast<size_t>(characterBytes)),
                          std::string(spelling, static_cast<size_t>(spellingBytes)), e->audio.size()});
    return 0;
  }

  std::string path_;
  std::string domain_;
  std::string text_;
  size_t served_ = 0;
  void* block_ = nullptr;
  qvTTS_HANDLE handle_ = nullptr;
};
