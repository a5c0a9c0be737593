// An engine module for tests of the speech API. One source, built in
// variants (compile definitions):
//   KVO_TEST_MODULE_NAME      the name it reports ("kvo_tts_local_synth", ...)
//   KVO_TEST_MODULE_NO_SYNTH  leaves out the KvoTtsSynth entry point
//   KVO_TEST_MODULE_INIT_RESULT=n  KvoTtsInit returns n
//   KVO_TEST_MODULE_QUIET     reports only load/unload/init/release events
//                             (the counting module for stress tests)
//
// Its synthesis keeps the callback contract: for each piece of the text a
// progress call with the span, then an audio call, then one last call; a
// false return stops it (the last call still follows) and it returns 0.
//
// Configuration it reads:
//   session: startresult=n  KvoTtsStartSession fails with n
//            stopfail=n     the first KvoTtsStopSession fails with n
//            stopdelayus=n  KvoTtsStopSession takes n microseconds, during
//                           which any synthesis on the session is counted
//                           as overlapping
//   synth:   piece=n        bytes of text per progress call (default 4)
//            synthresult=n  KvoTtsSynth returns n after its last call
//            audiofirst=1   the audio of a piece comes before its progress call
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "config_assistant.h"
#include "kvo_tts_module.h"
#include "test_module_probe.h"

#ifndef KVO_TEST_MODULE_NAME
#error "KVO_TEST_MODULE_NAME must name the module"
#endif

namespace {

constexpr unsigned int kSessionMagic = 0x5e55104eu;
constexpr unsigned int kStoppedMagic = 0xdeadbeefu;

struct TestSession {
  unsigned int magic = kSessionMagic;
  std::atomic<bool> synthesising{false};
  std::atomic<bool> stopping{false};
  int stop_delay_us = 0;
  int stop_failures_left = 0;
  int stop_failure_code = 0;
};

std::atomic<long long> g_inits{0};
std::atomic<long long> g_releases{0};
std::atomic<long long> g_starts{0};
std::atomic<long long> g_stops{0};
std::atomic<long long> g_synths{0};
std::atomic<long long> g_callbacks{0};
std::atomic<long long> g_live{0};
std::atomic<long long> g_max_live{0};
std::atomic<long long> g_overlaps{0};
std::atomic<long long> g_stale{0};

void Report(const char* event, const std::string& detail, bool always = false) {
#if defined(KVO_TEST_MODULE_QUIET)
  if (!always) return;
#else
  (void)always;
#endif
  auto hook = reinterpret_cast<KvoTestModuleEventFunc>(dlsym(RTLD_DEFAULT, KVO_TEST_MODULE_EVENT_SYMBOL));
  if (hook != nullptr) hook(KVO_TEST_MODULE_NAME, event, detail.c_str());
}

int IntValue(const ConfigMap* map, const char* key, int fallback) {
  std::string value;
  if (map == nullptr || !ConfigAssistant::GetValue(key, *map, value)) return fallback;
  return std::atoi(value.c_str());
}

std::string ItemText(const CapInnerItem* item) {
  std::string text = "is_cloud=" + std::to_string(item != nullptr ? item->is_cloud : 0);
  for (int i = 0; item != nullptr && item->configs != nullptr && i < item->config_count; ++i) {
    text += std::string(";") + item->configs[i].key + "=" + item->configs[i].value;
  }
  return text;
}

[[maybe_unused]] bool Call(TtsSynthCallback callback, void* user, const unsigned char* audio, uint32_t audio_size,
                           const char* text, uint32_t text_len, bool has_more) {
  TtsSynthResult result;
  result.voice_data = audio;
  result.voice_size = audio_size;
  result.text = text;
  result.text_len = text_len;
  result.has_more = has_more;
  ++g_callbacks;
  return callback(user, &result, 0);
}

__attribute__((constructor)) void OnLoad() { Report("load", "", true); }
__attribute__((destructor)) void OnUnload() { Report("unload", "", true); }

}  // namespace

extern "C" {

KVO_TTS_MODULE_EXPORT void KvoTestReadCounts(KvoTestModuleCounts* out) {
  out->inits = g_inits;
  out->releases = g_releases;
  out->starts = g_starts;
  out->stops = g_stops;
  out->synths = g_synths;
  out->callbacks = g_callbacks;
  out->live_sessions = g_live;
  out->max_live_sessions = g_max_live;
  out->overlapping_synths = g_overlaps;
  out->stale_handles = g_stale;
}

int KvoTtsInit(const ConfigMap* init_config, const CapInnerItem* item) {
  ++g_inits;
  Report("init", ConfigAssistant::Serialize(*init_config) + "|" + ItemText(item), true);
#if defined(KVO_TEST_MODULE_INIT_RESULT)
  return KVO_TEST_MODULE_INIT_RESULT;
#else
  return 0;
#endif
}

int KvoTtsStartSession(const ConfigMap* session_config, const CapInnerItem* item, ModuleHandle* handle) {
  Report("start", ConfigAssistant::Serialize(*session_config) + "|" + ItemText(item));
  const int forced = IntValue(session_config, "startresult", 0);
  if (forced != 0) return forced;
  TestSession* session = new TestSession();
  session->stop_failure_code = IntValue(session_config, "stopfail", 0);
  session->stop_delay_us = IntValue(session_config, "stopdelayus", 0);
  session->stop_failures_left = session->stop_failure_code != 0 ? 1 : 0;
  *handle = session;
  ++g_starts;
  const long long live = ++g_live;
  long long seen = g_max_live.load();
  while (live > seen && !g_max_live.compare_exchange_weak(seen, live)) {
  }
  return 0;
}

#if !defined(KVO_TEST_MODULE_NO_SYNTH)
int KvoTtsSynth(ModuleHandle handle, const ConfigMap* synth_config, const char* text, TtsSynthCallback callback,
                void* user) {
  ++g_synths;
  Report("synth", ConfigAssistant::Serialize(*synth_config));
  TestSession* session = static_cast<TestSession*>(handle);
  if (session == nullptr || session->magic != kSessionMagic) {
    ++g_stale;
    return 3;
  }
  if (session->synthesising.exchange(true) || session->stopping.load()) ++g_overlaps;

  const int piece_config = IntValue(synth_config, "piece", 4);
  const size_t piece = static_cast<size_t>(piece_config > 0 ? piece_config : 4);
  const bool audio_first = IntValue(synth_config, "audiofirst", 0) != 0;
  const size_t length = std::strlen(text);
  unsigned char audio[64];
  size_t position = 0;
  bool go_on = true;
  while (go_on && position < length) {
    const size_t count = length - position < piece ? length - position : piece;
    for (size_t i = 0; i < sizeof audio; ++i) audio[i] = static_cast<unsigned char>(position + i);
    const uint32_t audio_size = static_cast<uint32_t>(2 * count);
    if (audio_first) {
      go_on = Call(callback, user, audio, audio_size, nullptr, 0, true);
      if (go_on) go_on = Call(callback, user, nullptr, 0, text + position, static_cast<uint32_t>(count), true);
    } else {
      go_on = Call(callback, user, nullptr, 0, text + position, static_cast<uint32_t>(count), true);
      if (go_on) go_on = Call(callback, user, audio, audio_size, nullptr, 0, true);
    }
    position += count;
  }
  Call(callback, user, nullptr, 0, nullptr, 0, false);
  session->synthesising.store(false);
  return IntValue(synth_config, "synthresult", 0);
}
#endif

int KvoTtsStopSession(ModuleHandle* handle) {
  Report("stop", "");
  TestSession* session = static_cast<TestSession*>(*handle);
  if (session == nullptr || session->magic != kSessionMagic) {
    ++g_stale;
    return 3;
  }
  if (session->synthesising.load() || session->stopping.exchange(true)) ++g_overlaps;
  if (session->stop_delay_us > 0) std::this_thread::sleep_for(std::chrono::microseconds(session->stop_delay_us));
  if (session->synthesising.load()) ++g_overlaps;
  session->stopping.store(false);
  if (session->stop_failures_left > 0) {
    --session->stop_failures_left;
    return session->stop_failure_code;
  }
  session->magic = kStoppedMagic;
  delete session;
  *handle = nullptr;
  ++g_stops;
  --g_live;
  return 0;
}

int KvoTtsRelease(void) {
  ++g_releases;
  Report("release", "", true);
  return 0;
}

}  // extern "C"
