// Arbitrary start configurations (and texts) through the player on the null
// device: the input up to its first NUL byte is the configuration, the rest
// the text. Every start must end in the documented events: a refusal code,
// a single error event before BEGIN, or BEGIN ... END. Traps on anything
// else, and on a playback that never ends.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#ifdef KVO_FUZZ_MODULE_DIR
#include <dlfcn.h>
#endif

#include "kvo_sys.h"
#include "kvo_tts_player.h"

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

struct Events {
  std::mutex mutex;
  std::condition_variable changed;
  int begins = 0;
  int ends = 0;
  int errors = 0;
};

Events events;

void OnState(int event, void*) {
  std::lock_guard<std::mutex> lock(events.mutex);
  if (event == PLAYER_EVENT_BEGIN) ++events.begins;
  if (event == PLAYER_EVENT_END) ++events.ends;
  events.changed.notify_all();
}

void OnError(int event, int, void*) {
  std::lock_guard<std::mutex> lock(events.mutex);
  if (event != PLAYER_EVENT_ENGINE_ERROR && event != PLAYER_EVENT_DEVICE_ERROR) std::abort();
  ++events.errors;
  events.changed.notify_all();
}

void OnProgress(int event, int begin, int end, void* user) {
  const size_t size = *static_cast<const size_t*>(user);
  if (event != PLAYER_EVENT_PROGRESS || begin < 0 || end < begin || static_cast<size_t>(end) > size) std::abort();
}

size_t text_size = 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    PinEngineModules();
    setenv("KVO_AUDIO_DEVICE", "null", 1);
    const std::string sys = std::string("logLevel=0,dataPath=") + KVO_FUZZ_DATA_DIR;
    if (kvo_init(sys.c_str()) != 0) return false;
    PlayerCallbacks callbacks{};
    callbacks.state_cb = &OnState;
    callbacks.progress_cb = &OnProgress;
    callbacks.progress_user = &text_size;
    callbacks.error_cb = &OnError;
    const std::string config = std::string("datapath=") + KVO_FUZZ_DATA_DIR;
    if (kvo_tts_player_init(config.c_str(), &callbacks) != PLAYER_ERR_NONE) return false;
    // Released before the leak check at exit, which would otherwise count
    // the live player's state.
    std::atexit([] {
      kvo_tts_player_release();
      kvo_release();
    });
    return true;
  }();
  if (!started) std::abort();

  const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const std::string config(reinterpret_cast<const char*>(data), nul ? static_cast<size_t>(nul - data) : size);
  std::string text = nul ? std::string(reinterpret_cast<const char*>(nul + 1), size - (nul + 1 - data)) : "";
  text = text.substr(0, std::min<size_t>(text.find('\0'), 200));
  if (text.empty()) text = "\xE4\xBD\xA0\xE5\xA5\xBD\xE3\x80\x82";
  text_size = text.size();

  {
    std::lock_guard<std::mutex> lock(events.mutex);
    events.begins = events.ends = events.errors = 0;
  }
  // The thread of a playback that failed before BEGIN may still be winding
  // down; the start is refused until it has.
  int code = kvo_tts_player_start(text.c_str(), config.c_str());
  for (int i = 0; i < 2000 && code == PLAYER_ERR_ALREADY_STARTED; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    code = kvo_tts_player_start(text.c_str(), config.c_str());
  }
  if (code != PLAYER_ERR_NONE) {
    if (code != PLAYER_ERR_CONFIG && code != PLAYER_ERR_NO_MEMORY) std::abort();
    return 0;
  }
  // A stop early in some playbacks, chosen by the configuration's length.
  if (config.size() % 3 == 0) kvo_tts_player_stop();
  std::unique_lock<std::mutex> lock(events.mutex);
  const bool over = events.changed.wait_for(
      lock, std::chrono::seconds(60), [] { return events.ends > 0 || (events.errors > 0 && events.begins == 0); });
  if (!over) std::abort();
  if (events.ends > 1 || events.begins > 1 || (events.ends == 1 && events.begins != 1)) std::abort();
  lock.unlock();
  // The player is ready for the next start once the playback is over.
  for (int i = 0; i < 2000 && kvo_tts_player_get_state() != PLAYER_STATE_READY; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (kvo_tts_player_get_state() != PLAYER_STATE_READY) std::abort();
  return 0;
}
