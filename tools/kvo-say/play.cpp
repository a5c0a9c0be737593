#include "play.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

#include "kvo_sys.h"

#if defined(KVO_SAY_PLAYER)
#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include "kvo_tts_player.h"
#endif

namespace kvosay {

#if !defined(KVO_SAY_PLAYER)

bool CanPlay() { return false; }
int ListDevices() {
  std::fprintf(stderr, "kvo-say: built without the player: no sound devices\n");
  return 1;
}
int Play(const std::string&, const std::string&, const std::string&, int, bool) { return ListDevices(); }

#else

namespace {

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// What the player's threads report, for the main thread to act on.
struct Playback {
  std::mutex mutex;
  std::condition_variable changed;
  bool begun = false;
  bool ended = false;
  int engine_error = 0;
  bool device_error = false;
  std::deque<std::pair<int, int> > spans;
};

Playback g_playback;

void OnState(int event, void*) {
  std::lock_guard<std::mutex> lock(g_playback.mutex);
  if (event == PLAYER_EVENT_BEGIN) g_playback.begun = true;
  if (event == PLAYER_EVENT_END) g_playback.ended = true;
  g_playback.changed.notify_all();
}

void OnProgress(int, int begin, int end, void*) {
  std::lock_guard<std::mutex> lock(g_playback.mutex);
  if (end > begin) g_playback.spans.emplace_back(begin, end);
  g_playback.changed.notify_all();
}

void OnError(int event, int code, void*) {
  std::lock_guard<std::mutex> lock(g_playback.mutex);
  if (event == PLAYER_EVENT_ENGINE_ERROR && g_playback.engine_error == 0) g_playback.engine_error = code;
  if (event == PLAYER_EVENT_DEVICE_ERROR) g_playback.device_error = true;
  g_playback.changed.notify_all();
}

void Quiet(const char*) {}
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// ALSA and JACK (when PortAudio has it) report every device they probe and
// cannot open on stderr.
void QuietProbing() {
  snd_lib_error_set_handler(&QuietAlsa);
  typedef void (*SetFunction)(void (*)(const char*));
  const char* const names[] = {"jack_set_error_function", "jack_set_info_function"};
  for (const char* name : names) {
    void* symbol = dlsym(RTLD_DEFAULT, name);
    if (symbol != nullptr) reinterpret_cast<SetFunction>(symbol)(&Quiet);
  }
}

}  // namespace

bool CanPlay() { return true; }

int ListDevices() {
  const char* chosen = std::getenv("KVO_AUDIO_DEVICE");
  if (chosen != nullptr && std::strncmp(chosen, "null", 4) == 0) {
    std::printf("%-4s %s\n", "id", "device");
    std::printf("%-4d %s (KVO_AUDIO_DEVICE=%s) *\n", 0, "null device", chosen);
    return 0;
  }
  QuietProbing();
  const PaError error = Pa_Initialize();
  if (error != paNoError) {
    std::fprintf(stderr, "kvo-say: PortAudio cannot start: %s\n", Pa_GetErrorText(error));
    return 1;
  }
  const int count = Pa_GetDeviceCount();
  const PaDeviceIndex default_output = Pa_GetDefaultOutputDevice();
  std::printf("%-4s %s\n", "id", "device (* the default)");
  int outputs = 0;
  for (int i = 0; i < count; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (info == nullptr || info->maxOutputChannels < 1) continue;
    const PaHostApiInfo* api = Pa_GetHostApiInfo(info->hostApi);
    std::printf("%-4d %s (%s)%s\n", i, info->name, api != nullptr ? api->name : "?", i == default_output ? " *" : "");
    ++outputs;
  }
  Pa_Terminate();
  if (outputs == 0) std::printf("no output device\n");
  return 0;
}

int Play(const std::string& init_config, const std::string& text, const std::string& session_config, int device,
         bool progress) {
  PlayerCallbacks callbacks = {&OnState, nullptr, &OnProgress, nullptr, &OnError, nullptr};
  int code = kvo_tts_player_init(init_config.c_str(), &callbacks);
  if (code != PLAYER_ERR_NONE) {
    std::fprintf(stderr, "kvo-say: the player cannot start: %d (%s)\n", code, kvo_get_player_error_info(code));
    std::lock_guard<std::mutex> lock(g_playback.mutex);
    if (g_playback.engine_error != 0) {
      std::fprintf(stderr, "kvo-say: kvo_tts_init failed: %d (%s)\n", g_playback.engine_error,
                   kvo_get_error_info(g_playback.engine_error));
    }
    return 1;
  }
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = &OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  std::string config = session_config;
  if (device >= 0) config += ",deviceId=" + std::to_string(device);
  code = kvo_tts_player_start(text.c_str(), config.c_str());
  int status = 0;
  if (code != PLAYER_ERR_NONE) {
    std::fprintf(stderr, "kvo-say: the playback cannot start: %d (%s)\n", code, kvo_get_player_error_info(code));
    status = 1;
  } else {
    bool stop_sent = false;
    std::unique_lock<std::mutex> lock(g_playback.mutex);
    while (true) {
      g_playback.changed.wait_for(lock, std::chrono::milliseconds(50));
      while (!g_playback.spans.empty()) {
        const std::pair<int, int> span = g_playback.spans.front();
        g_playback.spans.pop_front();
        if (progress && span.first >= 0 && span.second <= static_cast<int>(text.size())) {
          std::fprintf(stderr, "[%.*s]\n", span.second - span.first, text.data() + span.first);
        }
      }
      if (g_playback.ended) break;
      // Failures before the device is open end the playback without END.
      if (!g_playback.begun && (g_playback.engine_error != 0 || g_playback.device_error)) break;
      if (g_interrupted && !stop_sent) {
        stop_sent = true;
        lock.unlock();
        // Refused only when the playback has just ended by itself.
        kvo_tts_player_stop();
        lock.lock();
      }
    }
    if (g_playback.device_error) {
      std::fprintf(stderr, "kvo-say: the sound device cannot be opened or stopped working (try --list-devices)\n");
      status = 1;
    } else if (g_playback.engine_error != 0) {
      std::fprintf(stderr, "kvo-say: synthesis failed: %d (%s)\n", g_playback.engine_error,
                   kvo_get_error_info(g_playback.engine_error));
      status = 1;
    } else if (stop_sent) {
      std::fprintf(stderr, "kvo-say: stopped\n");
      status = 130;
    }
  }
  kvo_tts_player_release();
  return status;
}

#endif

}  // namespace kvosay
