// The player's module-global data and the helpers its threads share.
#ifndef KVO_PLAYER_PLAYER_STATE_H
#define KVO_PLAYER_PLAYER_STATE_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "audio_device.h"
#include "kvo_sys.h"
#include "kvo_tts.h"
#include "kvo_tts_player.h"

namespace kvo_player {

constexpr const char kTag[] = "kvo_player";

// Audio is queued in pieces of at most this many bytes (160 ms at 16 kHz,
// 16 bits), so that the device is fed in small steps and a stop is quick.
constexpr int kPieceBytes = 5120;
// The synthesis waits while this many pieces are queued (about 40 s at
// 16 kHz, 16 bits): a long text must not pile its whole audio up in memory.
constexpr size_t kQueueLimit = 256;
// A buffer the device has not finished this long after it was due (not
// paused) means the device is gone.
constexpr int kDeviceStallMs = 5000;

struct Piece {
  unsigned char* data = nullptr;
  int size = 0;
  int marker = 0;       // running text end after the result the piece came from
  bool last = false;    // the last piece of the playback
  bool silent = false;  // stands for a result that carried only text
};

// How the synthesis thread ended, for the play thread.
enum SynthOutcome {
  kSynthRunning = 0,
  kSynthDone = 1,          // the device was opened; the play thread ends the playback
  kSynthNoDevice = 2,      // failed before the device was open; its error event is delivered
  kSynthSessionStuck = 3,  // as kSynthNoDevice, but the session could not be stopped
};

struct Player {
  std::mutex api_mutex;  // init and release against each other
  std::atomic<bool> initialised{false};
  std::atomic<int> state{PLAYER_STATE_NOT_INIT};
  std::atomic<bool> busy{false};  // the busy token: taken by start, given back by the path that ends the playback

  std::mutex callback_mutex;
  PlayerCallbacks callbacks{};

  // Written by start only while the token is held and no synthesis thread runs.
  std::string config;
  std::string text;
  bool has_text = false;
  int device_id = -1;
  int session_id = -1;  // synthesis thread and release only
  DeviceFormat format{16000, 16};

  AudioDriver* driver = nullptr;

  // Text offsets: running end (synthesis thread), last reported end and
  // current begin (device notifications).
  int text_end = 0;
  std::atomic<int> last_end{0};
  std::atomic<int> current_begin{0};

  // Signals, the queue and the playback's threads, under mutex.
  std::mutex mutex;
  std::condition_variable wake;
  bool quit = false;
  bool pause_request = false;
  bool resume_request = false;
  bool cancel = false;
  bool buffer_done[2] = {false, false};
  bool device_lost = false;
  std::deque<Piece> queue;
  AudioDevice* device = nullptr;  // set by the synthesis thread on opening, taken by the play thread on closing
  bool launched = false;          // start has handed the playback to its synthesis thread
  std::thread synth_thread;
  int synth_outcome = kSynthRunning;
  // Set-ups that failed before the device opened and have been wound down
  // (token back). Only ever counted up: a start right after the token is back
  // must not take this hand-off away from the thread still waiting for it.
  unsigned failures_wound_down = 0;

  // What each device buffer carries, for the device notifications.
  std::atomic<int> slot_marker[2] = {{0}, {0}};
  std::atomic<bool> slot_last[2] = {{false}, {false}};

  std::thread play_thread;
  // When the playback was started, for the log line of its first buffer.
  std::atomic<long long> start_time_us{0};

  // For tests that reach the player's internals: called by start on the
  // caller's thread between creating a playback's synthesis thread and
  // handing it over, to stand for a caller that is not scheduled there.
  void (*before_handoff)() = nullptr;
};

Player& GetPlayer();

void DeliverState(int event);
void DeliverProgress(int begin, int end);
void DeliverError(int event, int code);

void FreePiece(Piece& piece);
// Frees every queued piece; the caller holds the mutex.
void ClearQueue(Player& player);

// The play thread's body, the synthesis callback and the device callback.
void PlayThread();
bool SynthCallback(void* user, const TtsSynthResult* result, int error_code);
void DeviceCallback(void* user, int message, int buffer);

// Reads "audioFormat" of a parsed start configuration. False (after the log
// line) when the format cannot be played.
bool FormatFromConfig(const std::string& config, DeviceFormat& format);

}  // namespace kvo_player

#endif
