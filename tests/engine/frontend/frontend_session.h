// Drives one engine instance over the front-end test library and records
// what the front end produced: each sentence's words and items (through the
// analysis observer), the WordSegmentProc reports and the progress spans.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/engine_instance.h"
#include "core/qvtts.h"
#include "frontend/chinese_front_end.h"

namespace frontend_test {

inline std::string LibraryPath() { return std::string(KVO_FRONTEND_TEST_DIR) + "/frontend.lib"; }

// GBK bytes of internal codes, as UTF-8.
inline std::string Utf8OfCodes(const uint16_t* codes, int count) {
  std::string gbk;
  for (int i = 0; i < count; ++i) {
    const uint16_t c = codes[i];
    if (c < 0x80) {
      gbk.push_back(static_cast<char>(c));
    } else if (c == 0xFFFF) {
      gbk.push_back('?');
    } else {
      gbk.push_back(static_cast<char>(c & 0xFF));
      gbk.push_back(static_cast<char>(c >> 8));
    }
  }
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::string out(gbk.size() * 2 + 4, '\0');
  char* in = gbk.data();
  size_t in_left = gbk.size();
  char* dst = out.data();
  size_t out_left = out.size();
  iconv(cd, &in, &in_left, &dst, &out_left);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

// Syllable codes of a five-tone voice from the table builder's list.
class Syllables {
 public:
  Syllables() {
    std::ifstream in(std::string(KVO_FRONTEND_TABLES_DIR) + "/syllables.txt");
    std::string line;
    int index = 0;
    while (std::getline(in, line)) index_[line] = index++;
  }
  // "le5" -> code; -1 when unknown.
  int Code(const std::string& reading) const {
    const int tone = reading.back() - '0';
    auto it = index_.find(reading.substr(0, reading.size() - 1));
    return it == index_.end() ? -1 : it->second * 5 + tone - 1;
  }
  std::string Reading(int code) const {
    if (code == 0xFFFF) return "-";
    for (const auto& [name, index] : index_)
      if (index == code / 5) return name + std::to_string(code % 5 + 1);
    return "?";
  }
  int Count() const { return static_cast<int>(index_.size()); }

 private:
  std::map<std::string, int> index_;
};

struct Word {
  std::string text;
  int tag;
  std::vector<uint16_t> pinyin;
  int wordClass;
  uint16_t boundary;
};

struct SentenceResult {
  std::vector<Word> words;
  std::vector<qvAnalysisItem> items;  // terminator included
};

struct Span {
  int32_t begin;
  int32_t length;
  int32_t tag;
};

class FrontEndSession {
 public:
  explicit FrontEndSession(const std::string& library = LibraryPath()) {
    int32_t size = 0;
    init_result_ = qvTTS_GetExtBufSize(library.c_str(), nullptr, nullptr, &size);
    if (init_result_ != QVTTS_ERR_OK) return;
    block_ = std::aligned_alloc(64, (static_cast<size_t>(size) + 63) / 64 * 64);
    init_result_ = qvTTS_Init(library.c_str(), nullptr, nullptr, &handle_, block_);
    if (init_result_ != QVTTS_ERR_OK) return;
    Set(QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    Set(QVTTS_PARAM_CODEPAGE, 65001);
    Set(QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this));
    Set(QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Input));
    Set(QVTTS_PARAM_PROGRESS_PROC, reinterpret_cast<intptr_t>(&Progress));
    Set(QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Output));
    Set(QVTTS_PARAM_WORD_SEGMENT_PROC, reinterpret_cast<intptr_t>(&WordSegment));
    kvo::frontend::SetAnalysisObserver(instance(), &Observe, this);
  }
  ~FrontEndSession() {
    if (init_result_ == QVTTS_ERR_OK) qvTTS_End(handle_);
    std::free(block_);
  }
  FrontEndSession(const FrontEndSession&) = delete;
  FrontEndSession& operator=(const FrontEndSession&) = delete;

  int init_result() const { return init_result_; }
  qvInstance* instance() const { return static_cast<qvInstance*>(block_); }
  void Set(int32_t id, intptr_t value) { qvTTS_SetParam(handle_, id, value); }

  // Synthesises text served in chunks of chunk_bytes; returns the result.
  int Speak(const std::string& text, size_t chunk_bytes = 1024) {
    text_ = text;
    served_ = 0;
    chunk_bytes_ = chunk_bytes;
    sentences.clear();
    spans.clear();
    progress.clear();
    return qvTTS_SynthesizeText(handle_);
  }

  // All words of all sentences, "/"-separated.
  std::string Segmentation() const {
    std::string out;
    for (const SentenceResult& s : sentences)
      for (const Word& w : s.words) out += (out.empty() ? "" : "/") + w.text;
    return out;
  }
  const Word* FindWord(const std::string& text) const {
    for (const SentenceResult& s : sentences)
      for (const Word& w : s.words)
        if (w.text == text) return &w;
    return nullptr;
  }

  std::vector<SentenceResult> sentences;
  std::vector<Span> spans;     // WordSegmentProc
  std::vector<Span> progress;  // ProgressProc

 private:
  static int Input(void* user, char* buffer, int32_t* length) {
    auto* self = static_cast<FrontEndSession*>(user);
    size_t n = self->text_.size() - self->served_;
    if (n > self->chunk_bytes_) n = self->chunk_bytes_;
    if (n > static_cast<size_t>(*length)) n = static_cast<size_t>(*length);
    std::memcpy(buffer, self->text_.data() + self->served_, n);
    self->served_ += n;
    *length = static_cast<int32_t>(n);
    return 0;
  }
  static int Progress(void* user, int32_t begin, int32_t length) {
    static_cast<FrontEndSession*>(user)->progress.push_back({begin, length, 0});
    return 0;
  }
  static int Output(void*, int32_t, const void*, int32_t) { return 0; }
  static int WordSegment(void* user, int32_t begin, int32_t length, int32_t tag) {
    static_cast<FrontEndSession*>(user)->spans.push_back({begin, length, tag});
    return 0;
  }
  static void Observe(void* user, const kvo::frontend::WordList& words, const qvAnalysisItem* items, int32_t count) {
    auto* self = static_cast<FrontEndSession*>(user);
    SentenceResult result;
    for (int w = 0; w < words.count; ++w) {
      const kvo::frontend::WordRecord& r = words.words[w];
      result.words.push_back({Utf8OfCodes(r.chars, r.length), r.pos,
                              std::vector<uint16_t>(r.pinyin, r.pinyin + r.length), r.word_class, r.boundary});
    }
    result.items.assign(items, items + count + 1);
    self->sentences.push_back(std::move(result));
  }

  void* block_ = nullptr;
  qvTTS_HANDLE handle_ = nullptr;
  int init_result_ = QVTTS_ERR_RESOURCE;
  std::string text_;
  size_t served_ = 0;
  size_t chunk_bytes_ = 1024;
};

}  // namespace frontend_test
