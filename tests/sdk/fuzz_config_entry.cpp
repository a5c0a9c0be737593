// Arbitrary configuration strings through ConfigAssistant and through every
// speech API call that parses one: init, session start and synthesis on the
// default voice. Traps when a parsed map breaks its own invariants or a
// synthesis breaks the callback contract.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "config_assistant.h"
#include "config_rules.h"
#ifdef KVO_FUZZ_MODULE_DIR
#include <dlfcn.h>
#endif

#include "kvo_sys.h"
#include "kvo_tts.h"

#ifndef KVO_FUZZ_DATA_DIR
#error KVO_FUZZ_DATA_DIR must name the data folder with the default voice
#endif

namespace {

// libFuzzer keeps the coverage counters of every library loaded; the engine
// modules, which release unloads, must stay mapped.
void PinEngineModules() {
#ifdef KVO_FUZZ_MODULE_DIR
  for (const char* name : {"/libkvo_tts_local_synth.so", "/libkvo_tts_local_n6_synth.so"}) {
    if (dlopen((std::string(KVO_FUZZ_MODULE_DIR) + name).c_str(), RTLD_NOW | RTLD_NODELETE) == nullptr) std::abort();
  }
#endif
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void CheckMap(const ConfigMap& map) {
  for (const auto& entry : map) {
    const std::string& key = entry.first;
    const std::string& value = entry.second;
    if (key.empty() || value.empty()) std::abort();
    if (IsBlank(key.front()) || IsBlank(key.back()) || IsBlank(value.front()) || IsBlank(value.back())) std::abort();
    if (key.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ,=") != std::string::npos) std::abort();
    if (value.find(',') != std::string::npos) std::abort();
  }
}

void CheckAssistant(const std::string& text) {
  ConfigMap map;
  if (!ConfigAssistant::Parse(text.c_str(), map)) {
    if (!map.empty()) std::abort();  // a failed parse leaves nothing behind
    return;
  }
  CheckMap(map);
  // Writing the map back and reading it again gives the same map.
  const std::string written = ConfigAssistant::Serialize(map);
  ConfigMap again;
  if (!ConfigAssistant::Parse(written.c_str(), again) || again != map) std::abort();
  if (ConfigAssistant::Serialize(again) != written) std::abort();

  ConfigMap checked = map;
  const int code = ConfigAssistant::CheckAndRebuild(kvo_tts::kSessionRules,
                                                    static_cast<int>(std::size(kvo_tts::kSessionRules)), checked);
  if (code != 0 && code != 3 && code != 4) std::abort();
  // The check only adds defaults; it never drops or changes what was there.
  for (const auto& entry : map) {
    auto found = checked.find(entry.first);
    if (found == checked.end() || found->second != entry.second) std::abort();
  }
  for (const auto& entry : map) {
    unsigned int number = 0;
    if (ConfigAssistant::GetUInt(entry.first, map, number) &&
        entry.second.find_first_not_of("0123456789") != std::string::npos)
      std::abort();
    ConfigAssistant::IsValidNumericValue(entry.second);
  }
  ConfigAssistant::CheckNumericValues(map, "fuzz");
}

struct Contract {
  size_t text_size = 0;
  size_t progress_end = 0;
  int finals = 0;
  int calls = 0;
  const char* text = nullptr;
};

bool OnResult(void* user, const TtsSynthResult* result, int error_code) {
  Contract* c = static_cast<Contract*>(user);
  if (error_code != 0 || c->finals != 0) std::abort();
  ++c->calls;
  if (!result->has_more) {
    if (result->voice_data != nullptr || result->text != nullptr) std::abort();
    ++c->finals;
    return true;
  }
  if (result->text != nullptr) {
    // Adjacent spans inside the caller's text.
    if (result->text != c->text + c->progress_end || result->text_len == 0) std::abort();
    c->progress_end += result->text_len;
    if (c->progress_end > c->text_size) std::abort();
  }
  // Stop early: the last call still follows.
  return c->calls < 3;
}

void Synthesise(int id, const char* config) {
  static const char kText[] = "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C 12 ABC.";
  Contract contract;
  contract.text = kText;
  contract.text_size = sizeof(kText) - 1;
  const int code = kvo_tts_synth(id, kText, config, &OnResult, &contract);
  if (code == KVO_TTS_OK && contract.finals != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    PinEngineModules();
    const std::string sys = std::string("logLevel=0,dataPath=") + KVO_FUZZ_DATA_DIR;
    if (kvo_init(sys.c_str()) != 0) return false;
    std::atexit([] { kvo_release(); });
    return true;
  }();
  if (!started) std::abort();
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckAssistant(text);

  const std::string data_path = std::string("datapath=") + KVO_FUZZ_DATA_DIR;
  // As an init string; a failed init leaves the SDK ready for the next.
  if (kvo_tts_init(text.c_str()) == KVO_TTS_OK) {
    if (kvo_tts_release() != KVO_TTS_OK) std::abort();
  }
  if (kvo_tts_init(data_path.c_str()) != KVO_TTS_OK) std::abort();

  // As a session start configuration.
  int id = -1;
  if (kvo_tts_session_start(text.c_str(), &id) == KVO_TTS_OK) {
    Synthesise(id, nullptr);
    if (kvo_tts_session_stop(id) != KVO_TTS_OK) std::abort();
  }
  // As a synthesis configuration on a session of the default voice.
  if (kvo_tts_session_start("capkey=tts.local.synth", &id) != KVO_TTS_OK) std::abort();
  Synthesise(id, text.c_str());
  if (kvo_tts_session_stop(id) != KVO_TTS_OK) std::abort();
  if (kvo_tts_release() != KVO_TTS_OK) std::abort();
  return 0;
}
