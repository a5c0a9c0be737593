// The exported functions of libkvo_tts_player and the synthesis thread of a
// playback.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "config_assistant.h"
#include "player_state.h"

namespace kvo_player {

Player& GetPlayer() {
  // Never destroyed: a process that exits without release must not run the
  // destructors of running threads.
  static Player* const player = new Player;
  return *player;
}

namespace {

PlayerCallbacks Callbacks() {
  Player& player = GetPlayer();
  std::lock_guard<std::mutex> lock(player.callback_mutex);
  return player.callbacks;
}

void SetCallbacks(const PlayerCallbacks* callbacks) {
  Player& player = GetPlayer();
  std::lock_guard<std::mutex> lock(player.callback_mutex);
  if (callbacks != nullptr) {
    player.callbacks = *callbacks;
  } else {
    player.callbacks = PlayerCallbacks{};
  }
}

bool AllDigits(const std::string& value) {
  if (value.empty() || value.size() > 9) return false;
  return value.find_first_not_of("0123456789") == std::string::npos;
}

// Stops the playback's session. False (after ENGINE_ERROR and the state
// ERROR) when the speech API refuses.
bool StopSession(Player& player) {
  if (player.session_id == -1) return true;
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call kvo_tts_session_stop", kTag, "SynthThread");
  const int code = kvo_tts_session_stop(player.session_id);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call kvo_tts_session_stop ret: %d", kTag, "SynthThread", code);
  if (code != 0) {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] kvo_tts_session_stop failed", kTag, "SynthThread");
    DeliverError(PLAYER_EVENT_ENGINE_ERROR, code);
    player.state.store(PLAYER_STATE_ERROR);
    return false;
  }
  player.session_id = -1;
  return true;
}

// Opens the device for the start configuration's format. On failure the
// caller delivers PLAYER_EVENT_DEVICE_ERROR.
bool OpenDevice(Player& player) {
  DeviceFormat format;
  if (!FormatFromConfig(player.config, format)) return false;
  player.format = format;
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] device %d, %d Hz, %d bits, driver %s", kTag, "OpenDevice", player.device_id,
          format.rate, format.bits, player.driver != nullptr ? player.driver->Name() : "none");
  AudioDevice* device = nullptr;
  const int code =
      player.driver != nullptr ? player.driver->Open(player.device_id, format, &DeviceCallback, &player, &device) : -1;
  if (code != 0 || device == nullptr) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] waveOutOpen return failed code: %d", kTag, "OpenDevice", code);
    return false;
  }
  std::lock_guard<std::mutex> lock(player.mutex);
  player.device = device;
  player.wake.notify_all();
  return true;
}

void FinishSynthThread(Player& player, int outcome) {
  std::lock_guard<std::mutex> lock(player.mutex);
  player.synth_outcome = outcome;
  player.wake.notify_all();
}

// A playback that fails before its device is open: the play thread gives the
// token back first, then the error is delivered, so that whoever receives it
// can start again at once.
void GiveUp(Player& player, int outcome, int event, int code) {
  {
    std::unique_lock<std::mutex> lock(player.mutex);
    player.synth_outcome = outcome;
    const unsigned seen = player.failures_wound_down;
    player.wake.notify_all();
    player.wake.wait(lock, [&] { return player.failures_wound_down != seen; });
  }
  DeliverError(event, code);
}

void SynthThread() {
  Player& player = GetPlayer();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] enter", kTag, "SynthThread");
  if (player.session_id != -1 && !StopSession(player)) {
    FinishSynthThread(player, kSynthSessionStuck);
    return;
  }
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call kvo_tts_session_start config param: %s", kTag, "tts_session_start",
          player.config.c_str());
  int session = -1;
  int code = kvo_tts_session_start(player.config.c_str(), &session);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call kvo_tts_session_start ret: %d", kTag, "tts_session_start", code);
  if (code != 0) {
    KVO_LOG(KVO_LOG_TRACE, "[%s][%s] kvo_tts_session_start failed", kTag, "tts_session_start");
    GiveUp(player, kSynthNoDevice, PLAYER_EVENT_ENGINE_ERROR, code);
    return;
  }
  player.session_id = session;

  if (!OpenDevice(player)) {
    GiveUp(player, StopSession(player) ? kSynthNoDevice : kSynthSessionStuck, PLAYER_EVENT_DEVICE_ERROR, -1);
    return;
  }

  player.text_end = 0;
  player.last_end.store(0);
  player.current_begin.store(0);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call kvo_tts_synth_async", kTag, "SynthThread");
  code = kvo_tts_synth(player.session_id, player.has_text ? player.text.c_str() : nullptr, player.config.c_str(),
                       &SynthCallback, &player);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call kvo_tts_synth_async ret: %d", kTag, "SynthThread", code);

  const bool stopped = StopSession(player);
  if (stopped) KVO_LOG(KVO_LOG_INFO, "[%s][%s] tts_session_stop succeed", kTag, "SynthThread");
  if (!stopped) KVO_LOG(KVO_LOG_ERROR, "[%s][%s] tts_session_stop failed", kTag, "SynthThread");
  if (code != 0) {
    // Also when the session would not stop: a synthesis that failed may
    // not have queued its last piece, so only a cancel ends the playback.
    DeliverError(PLAYER_EVENT_ENGINE_ERROR, code);
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] synth failed", kTag, "SynthThread");
    {
      std::lock_guard<std::mutex> lock(player.mutex);
      player.cancel = true;
      player.wake.notify_all();
    }
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] send cancel event", kTag, "SynthThread");
  } else {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] kvo_tts_synth succeed", kTag, "SynthThread");
  }
  FinishSynthThread(player, kSynthDone);
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] leave", kTag, "SynthThread");
}

// Pause, resume and stop: a request for the play thread while a playback
// holds the token.
int Request(const char* operation, bool Player::*flag) {
  Player& player = GetPlayer();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] enter", kTag, operation);
  if (!player.initialised.load()) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] no init", kTag, operation);
    return PLAYER_ERR_NOT_INIT;
  }
  // Looking at the token, not taking it: a start at the same moment must not
  // find it taken by a mere query.
  if (!player.busy.load()) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] player is no begin", kTag, operation);
    return PLAYER_ERR_NOT_STARTED;
  }
  if (flag == &Player::resume_request && player.state.load() != PLAYER_STATE_PAUSED) return PLAYER_ERR_NONE;
  {
    std::lock_guard<std::mutex> lock(player.mutex);
    player.*flag = true;
    player.wake.notify_all();
  }
  if (flag == &Player::pause_request) KVO_LOG(KVO_LOG_INFO, "[%s][%s] send player pause event", kTag, operation);
  if (flag == &Player::resume_request) KVO_LOG(KVO_LOG_INFO, "[%s][%s] send player resume event", kTag, operation);
  if (flag == &Player::cancel) KVO_LOG(KVO_LOG_INFO, "[%s][%s] send cancel event", kTag, operation);
  return PLAYER_ERR_NONE;
}

}  // namespace

void DeliverState(int event) {
  const PlayerCallbacks callbacks = Callbacks();
  if (callbacks.state_cb != nullptr) callbacks.state_cb(event, callbacks.state_user);
}

void DeliverProgress(int begin, int end) {
  const PlayerCallbacks callbacks = Callbacks();
  if (callbacks.progress_cb != nullptr)
    callbacks.progress_cb(PLAYER_EVENT_PROGRESS, begin, end, callbacks.progress_user);
}

void DeliverError(int event, int code) {
  const PlayerCallbacks callbacks = Callbacks();
  if (callbacks.error_cb != nullptr) callbacks.error_cb(event, code, callbacks.error_user);
}

bool FormatFromConfig(const std::string& config, DeviceFormat& format) {
  ConfigMap map;
  if (!ConfigAssistant::Parse(config.c_str(), map)) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] get audio format failed", kTag, "OpenDevice");
    return false;
  }
  std::string value;
  ConfigAssistant::GetValue("audioformat", map, value);
  const std::string lower = ConfigAssistant::ToLower(value);
  static const struct {
    const char* name;
    int rate;
    int bits;
  } kFormats[] = {
      {"pcm8k8bit", 8000, 8},     {"pcm8k16bit", 8000, 16}, {"pcm16k8bit", 16000, 8},
      {"pcm16k16bit", 16000, 16}, {"pcm11k8bit", 11025, 8}, {"pcm11k16bit", 11025, 16},
  };
  for (const auto& entry : kFormats) {
    if (lower.find(entry.name) != std::string::npos) {
      format.rate = entry.rate;
      format.bits = entry.bits;
      return true;
    }
  }
  if (lower.empty()) {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] not find audioformat.use 16k16bit format", kTag, "OpenDevice");
    format.rate = 16000;
    format.bits = 16;
    return true;
  }
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] nonsupport fromat: %s", kTag, "OpenDevice", value.c_str());
  return false;
}

}  // namespace kvo_player

using kvo_player::GetPlayer;
using kvo_player::kTag;
using kvo_player::Player;

extern "C" {

KVO_TTS_PLAYER_API int kvo_tts_player_init(const char* config, const PlayerCallbacks* callbacks) {
  Player& player = GetPlayer();
  std::lock_guard<std::mutex> api(player.api_mutex);
  if (player.initialised.load()) return PLAYER_ERR_ALREADY_INIT;
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] %s", kTag, "kvo_tts_player_init",
          ">>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>");
  kvo_player::SetCallbacks(callbacks);
  player.initialised.store(true);

  KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call kvo_tts_init config param: %s", kTag, "kvo_tts_player_init",
          config != nullptr ? config : "");
  const int code = kvo_tts_init(config);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call kvo_tts_init ret: %d", kTag, "kvo_tts_player_init", code);
  if (code != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] kvo_tts_init failed", kTag, "kvo_tts_player_init");
    kvo_player::DeliverError(PLAYER_EVENT_ENGINE_ERROR, code);
    kvo_player::SetCallbacks(nullptr);
    player.initialised.store(false);
    return PLAYER_ERR_CONFIG;
  }
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] kvo_tts_init success", kTag, "kvo_tts_player_init");
  player.state.store(PLAYER_STATE_READY);

  // The sound output is chosen once per initialisation.
  const char* device = std::getenv("KVO_AUDIO_DEVICE");
  player.driver = kvo_player::CreateAudioDriver(device);
  if (player.driver == nullptr) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] unknown KVO_AUDIO_DEVICE %s: every playback fails to open its device", kTag,
            "kvo_tts_player_init", device != nullptr ? device : "");
  } else {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] audio output: %s", kTag, "kvo_tts_player_init", player.driver->Name());
  }
  {
    std::lock_guard<std::mutex> lock(player.mutex);
    player.quit = false;
    player.pause_request = player.resume_request = player.cancel = false;
    player.buffer_done[0] = player.buffer_done[1] = false;
    player.device_lost = false;
    player.launched = false;
    player.synth_outcome = kvo_player::kSynthRunning;
  }
  player.busy.store(false);
  player.session_id = -1;
  player.device_id = -1;
  try {
    player.play_thread = std::thread(&kvo_player::PlayThread);
  } catch (...) {
    delete player.driver;
    player.driver = nullptr;
    kvo_tts_release();
    kvo_player::SetCallbacks(nullptr);
    player.initialised.store(false);
    player.state.store(PLAYER_STATE_NOT_INIT);
    return PLAYER_ERR_NO_MEMORY;
  }
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] create player trhead success", kTag, "kvo_tts_player_init");
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] leave", kTag, "kvo_tts_player_init");
  player.state.store(PLAYER_STATE_READY);
  return PLAYER_ERR_NONE;
}

KVO_TTS_PLAYER_API int kvo_tts_player_get_state(void) { return GetPlayer().state.load(); }

KVO_TTS_PLAYER_API int kvo_tts_player_can_stop(void) {
  const int state = GetPlayer().state.load();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] current state: %d", kTag, "kvo_tts_player_can_stop", state);
  const bool can = state == PLAYER_STATE_PLAYING || state == PLAYER_STATE_PAUSED;
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] %s", kTag, "kvo_tts_player_can_stop", can ? "can stop" : "can not stop");
  return can ? 1 : 0;
}

KVO_TTS_PLAYER_API int kvo_tts_player_start(const char* text, const char* config) {
  Player& player = GetPlayer();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] enter", kTag, "kvo_tts_player_start");
  if (!player.initialised.load()) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] no init", kTag, "kvo_tts_player_start");
    return PLAYER_ERR_NOT_INIT;
  }
  const long long now_us =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count();
  bool idle = false;
  if (!player.busy.compare_exchange_strong(idle, true)) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] player is already begin", kTag, "kvo_tts_player_start");
    return PLAYER_ERR_ALREADY_STARTED;
  }
  // The signals are cleared before anything else: a stop made from now on
  // belongs to this playback and is not lost.
  {
    std::lock_guard<std::mutex> lock(player.mutex);
    player.pause_request = player.resume_request = player.cancel = false;
    player.buffer_done[0] = player.buffer_done[1] = false;
    player.device_lost = false;
    player.synth_outcome = kvo_player::kSynthRunning;
  }
  player.start_time_us.store(now_us);
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] end reset semaphore", kTag, "kvo_tts_player_start");

  ConfigMap map;
  if (!ConfigAssistant::Parse(config, map)) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] append config failed", kTag, "kvo_tts_player_start");
    kvo_player::DeliverError(PLAYER_EVENT_DEVICE_ERROR, -1);
    player.busy.store(false);
    return PLAYER_ERR_CONFIG;
  }
  std::string device;
  player.device_id = -1;
  if (ConfigAssistant::GetValue("deviceid", map, device) && kvo_player::AllDigits(device)) {
    player.device_id = std::atoi(device.c_str());
  }
  try {
    player.config = config != nullptr ? config : "";
    KVO_LOG(KVO_LOG_TRACE, "[%s][%s] set synth config to global success", kTag, "kvo_tts_player_start");
    player.has_text = text != nullptr && text[0] != '\0';
    player.text.clear();
    player.text.shrink_to_fit();
    if (player.has_text) player.text = text;
  } catch (const std::bad_alloc&) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] player malloc failed", kTag, "kvo_tts_player_start");
    player.has_text = false;
    kvo_player::DeliverState(PLAYER_EVENT_NO_MEMORY);
    player.state.store(PLAYER_STATE_ERROR);
    player.busy.store(false);
    return PLAYER_ERR_NO_MEMORY;
  }
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] set synth text to global success", kTag, "kvo_tts_player_start");

  // Created and handed over under the mutex: the synthesis thread can
  // publish its device or its outcome only after that, so the play thread
  // never ends a playback whose thread it has not been given (it would find
  // nothing to join, and the late hand-off would look like a new playback).
  try {
    std::lock_guard<std::mutex> lock(player.mutex);
    player.synth_thread = std::thread(&kvo_player::SynthThread);
    if (player.before_handoff != nullptr) player.before_handoff();
    player.launched = true;
    player.wake.notify_all();
  } catch (...) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] create synth thread failed", kTag, "kvo_tts_player_start");
    kvo_player::DeliverState(PLAYER_EVENT_NO_MEMORY);
    player.busy.store(false);
    return PLAYER_ERR_NO_MEMORY;
  }
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] end create synth thread", kTag, "kvo_tts_player_start");
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] leave", kTag, "kvo_tts_player_start");
  return PLAYER_ERR_NONE;
}

KVO_TTS_PLAYER_API int kvo_tts_player_pause(void) {
  return kvo_player::Request("kvo_tts_player_pause", &Player::pause_request);
}

KVO_TTS_PLAYER_API int kvo_tts_player_resume(void) {
  return kvo_player::Request("kvo_tts_player_resume", &Player::resume_request);
}

KVO_TTS_PLAYER_API int kvo_tts_player_stop(void) { return kvo_player::Request("kvo_tts_player_stop", &Player::cancel); }

KVO_TTS_PLAYER_API int kvo_tts_player_release(void) {
  Player& player = GetPlayer();
  std::lock_guard<std::mutex> api(player.api_mutex);
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] enter", kTag, "kvo_tts_player_release");
  if (!player.initialised.load()) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] no init", kTag, "kvo_tts_player_release");
    return PLAYER_ERR_NOT_INIT;
  }
  kvo_player::SetCallbacks(nullptr);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] clear global callback success", kTag, "kvo_tts_player_release");

  // A playback in progress is wound down by the play thread before it ends
  // (synthesis thread joined, device closed), so that no thread outlives the
  // player and the speech API has no session open when it is released.
  if (player.play_thread.joinable()) {
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin set quit event", kTag, "kvo_tts_player_release");
    {
      std::lock_guard<std::mutex> lock(player.mutex);
      player.quit = true;
      player.wake.notify_all();
    }
    player.play_thread.join();
    KVO_LOG(KVO_LOG_INFO, "[%s][%s] play thread over", kTag, "kvo_tts_player_release");
  }
  if (player.synth_thread.joinable()) player.synth_thread.join();

  KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call kvo_tts_release", kTag, "kvo_tts_player_release");
  const int code = kvo_tts_release();
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call kvo_tts_release ret: %d", kTag, "kvo_tts_player_release", code);
  if (code != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] kvo_tts_release failed", kTag, "kvo_tts_player_release");
    player.state.store(PLAYER_STATE_ERROR);
  }
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] release tts sdk success", kTag, "kvo_tts_player_release");

  delete player.driver;
  player.driver = nullptr;
  {
    std::lock_guard<std::mutex> lock(player.mutex);
    kvo_player::ClearQueue(player);
    player.device = nullptr;
    player.launched = false;
    player.quit = false;
  }
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] clear event and sem success", kTag, "kvo_tts_player_release");
  player.text.clear();
  player.text.shrink_to_fit();
  player.config.clear();
  player.has_text = false;
  player.session_id = -1;
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] free success", kTag, "kvo_tts_player_release");
  player.busy.store(false);
  player.initialised.store(false);
  player.state.store(PLAYER_STATE_NOT_INIT);
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] leave", kTag, "kvo_tts_player_release");
  return PLAYER_ERR_NONE;
}

}  // extern "C"
