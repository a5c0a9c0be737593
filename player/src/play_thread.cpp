// The audio pipeline: the synthesis callback queues the audio in pieces, the
// play thread feeds two alternating device buffers and winds playbacks down,
// the device callback turns finished buffers into progress.
#include <chrono>
#include <cstring>
#include <new>

#include "player_state.h"

namespace kvo_player {

namespace {

using Clock = std::chrono::steady_clock;

// The play thread's own view of the device buffers.
struct Slots {
  Piece piece[2];
  bool busy[2] = {false, false};
  Clock::time_point last_activity;
  bool starved = false;
  bool first_written = false;  // of this playback
  bool first_audio_written = false;

  bool AnyBusy() const { return busy[0] || busy[1]; }
  int Free() const { return !busy[0] ? 0 : (!busy[1] ? 1 : -1); }
  void FreeAll() {
    for (int i = 0; i < 2; ++i) {
      FreePiece(piece[i]);
      busy[i] = false;
    }
  }
};

// Ends the playback: stops the sound at once, waits until the synthesis
// thread is through (it sees the cancel and stops the synthesis), closes the
// device, empties the queue, gives the token back. END is delivered only for
// a playback whose device was opened.
void WindDown(Player& player, Slots& slots, bool natural_end) {
  AudioDevice* device;
  {
    std::lock_guard<std::mutex> lock(player.mutex);
    device = player.device;
  }
  if (device != nullptr && !natural_end) device->Reset();

  std::thread synth;
  int outcome;
  size_t dropped;
  {
    std::unique_lock<std::mutex> lock(player.mutex);
    player.wake.wait(lock, [&] { return player.synth_outcome != kSynthRunning; });
    outcome = player.synth_outcome;
    synth = std::move(player.synth_thread);
    player.launched = false;
    device = player.device;  // opened meanwhile by a synthesis thread that had not yet seen the cancel
    player.device = nullptr;
  }
  const bool opened = device != nullptr;
  if (opened) {
    if (synth.joinable()) synth.join();
    device->Close();
    delete device;
  }
  {
    std::lock_guard<std::mutex> lock(player.mutex);
    dropped = player.queue.size();
    ClearQueue(player);
    player.cancel = false;
    player.pause_request = player.resume_request = false;
    player.buffer_done[0] = player.buffer_done[1] = false;
    player.device_lost = false;
  }
  slots.FreeAll();
  slots.starved = false;
  slots.first_written = false;
  slots.first_audio_written = false;
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] voice item: %d", kTag, "PlayThread", static_cast<int>(dropped));
  // A session that could not be stopped keeps the token until release.
  if (outcome != kSynthSessionStuck) {
    player.state.store(PLAYER_STATE_READY);
    player.busy.store(false);
  }
  if (!opened) {
    // The synthesis thread delivers its error now and ends.
    {
      std::lock_guard<std::mutex> lock(player.mutex);
      ++player.failures_wound_down;
      player.wake.notify_all();
    }
    if (synth.joinable()) synth.join();
    return;
  }
  DeliverState(PLAYER_EVENT_END);
}

}  // namespace

void FreePiece(Piece& piece) {
  delete[] piece.data;
  piece.data = nullptr;
  piece.size = 0;
}

void ClearQueue(Player& player) {
  for (Piece& piece : player.queue) FreePiece(piece);
  player.queue.clear();
}

bool SynthCallback(void* user, const TtsSynthResult* result, int /*error_code*/) {
  Player& player = *static_cast<Player*>(user);
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] TextOffset: %u", kTag, "TTSSynthCallback", result->text_len);
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] VoiceOffset: %u", kTag, "TTSSynthCallback", result->voice_size);
  // A result without audio stands as a short silence, so that its text is
  // reported when playback reaches it.
  unsigned char silence[8];
  std::memset(silence, player.format.bits == 8 ? 0x80 : 0, sizeof silence);
  const unsigned char* source = result->voice_data;
  size_t left = result->voice_size;
  const bool silent = source == nullptr || left == 0;
  if (silent) {
    source = silence;
    left = sizeof silence;
  }
  player.text_end += static_cast<int>(result->text_len);
  const int marker = player.text_end;

  std::unique_lock<std::mutex> lock(player.mutex);
  while (left > 0) {
    player.wake.wait(lock, [&] { return player.cancel || player.queue.size() < kQueueLimit; });
    if (player.cancel) {
      KVO_LOG(KVO_LOG_TRACE, "[%s][%s] get cancel event", kTag, "TTSSynthCallback");
      ClearQueue(player);
      return false;
    }
    const int n = static_cast<int>(left < static_cast<size_t>(kPieceBytes) ? left : kPieceBytes);
    Piece piece;
    piece.data = new (std::nothrow) unsigned char[n];
    if (piece.data == nullptr) {
      player.cancel = true;
      player.wake.notify_all();
      lock.unlock();
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] out of memory", kTag, "TTSSynthCallback");
      DeliverState(PLAYER_EVENT_NO_MEMORY);
      return true;  // the next call sees the cancel and stops the synthesis
    }
    std::memcpy(piece.data, source, n);
    source += n;
    left -= n;
    piece.size = n;
    piece.marker = marker;
    piece.last = left == 0 && !result->has_more;
    piece.silent = silent;
    try {
      player.queue.push_back(piece);
    } catch (...) {
      FreePiece(piece);
      player.cancel = true;
      player.wake.notify_all();
      lock.unlock();
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] out of memory", kTag, "TTSSynthCallback");
      DeliverState(PLAYER_EVENT_NO_MEMORY);
      return true;
    }
    player.wake.notify_all();
  }
  return true;
}

void DeviceCallback(void* user, int message, int buffer) {
  Player& player = *static_cast<Player*>(user);
  switch (message) {
    case kDeviceOpened:
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] wom_open", kTag, "waveOutProc");
      DeliverState(PLAYER_EVENT_BEGIN);
      player.state.store(PLAYER_STATE_PLAYING);
      break;
    case kDeviceBufferDone: {
      if (buffer < 0 || buffer > 1) break;
      {
        std::lock_guard<std::mutex> lock(player.mutex);
        if (player.cancel) break;  // a stop: the buffers handed back are not progress
      }
      const int mark = player.slot_last[buffer].load() ? 0 : player.slot_marker[buffer].load();
      if (mark == 0) player.current_begin.store(0);
      if (mark != player.last_end.load()) {
        const int begin = player.current_begin.load();
        KVO_LOG(KVO_LOG_TRACE, "[%s][%s] BeginOffset: %d", kTag, "waveOutProc", begin);
        KVO_LOG(KVO_LOG_TRACE, "[%s][%s] EndOffset: %d", kTag, "waveOutProc", mark);
        DeliverProgress(begin, mark);
        player.last_end.store(mark);
      }
      player.current_begin.store(mark);
      std::lock_guard<std::mutex> lock(player.mutex);
      player.buffer_done[buffer] = true;
      player.wake.notify_all();
      break;
    }
    case kDeviceClosed:
      KVO_LOG(KVO_LOG_TRACE, "[%s][%s] wom_close", kTag, "waveOutProc");
      break;
    case kDeviceLost: {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] the device stopped on its own", kTag, "waveOutProc");
      std::lock_guard<std::mutex> lock(player.mutex);
      player.device_lost = true;
      player.wake.notify_all();
      break;
    }
    default:
      break;
  }
}

void PlayThread() {
  Player& player = GetPlayer();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] enter", kTag, "PlayThread");
  Slots slots;
  // The synthesis thread gave up before the device was open; its error
  // event follows the wind-down.
  const auto failed_set_up = [&] {
    return player.launched && player.device == nullptr &&
           (player.synth_outcome == kSynthNoDevice || player.synth_outcome == kSynthSessionStuck);
  };
  std::unique_lock<std::mutex> lock(player.mutex);
  while (true) {
    // Wakes for any signal that a branch below acts on; every 10 ms
    // otherwise (BUFFERING repeats, the stall check). A wake-up condition
    // that no branch clears would keep the mutex held, since wait_for with
    // a true predicate never unlocks it.
    player.wake.wait_for(lock, std::chrono::milliseconds(10), [&] {
      return player.quit || (player.cancel && player.launched) || failed_set_up() ||
             (player.device != nullptr &&
              (player.device_lost || player.buffer_done[0] || player.buffer_done[1] || player.pause_request ||
               player.resume_request || (slots.Free() >= 0 && !player.queue.empty())));
    });
    if (player.quit) {
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] get quite event", kTag, "PlayThread");
      if (player.launched || player.device != nullptr) {
        player.cancel = true;
        player.wake.notify_all();
        lock.unlock();
        WindDown(player, slots, false);
        lock.lock();
      }
      ClearQueue(player);
      break;
    }
    AudioDevice* const device = player.device;

    // Requests wait until the device is open: a pause made while the
    // playback is being set up takes effect right after BEGIN.
    if (device != nullptr && player.pause_request) {
      player.pause_request = false;
      lock.unlock();
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] get pause event", kTag, "PlayThread");
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call waveOutPause", kTag, "PlayThread");
      const int code = device->Pause();
      DeliverState(PLAYER_EVENT_PAUSED);
      player.state.store(PLAYER_STATE_PAUSED);
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call waveOutPause ret: %d", kTag, "PlayThread", code);
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] pause finish", kTag, "PlayThread");
      lock.lock();
    }
    if (device != nullptr && player.resume_request) {
      player.resume_request = false;
      lock.unlock();
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] get resume event", kTag, "PlayThread");
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] begin call waveOutRestart", kTag, "PlayThread");
      const int code = device->Restart();
      DeliverState(PLAYER_EVENT_RESUMED);
      player.state.store(PLAYER_STATE_PLAYING);
      slots.last_activity = Clock::now();
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] end call waveOutRestart ret: %d", kTag, "PlayThread", code);
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] resume finish", kTag, "PlayThread");
      lock.lock();
    }

    // A device that stopped by itself, or that has not finished a buffer
    // long after it was due, is gone: report it and end the playback.
    if (device != nullptr && !player.cancel) {
      const bool stalled = slots.AnyBusy() && player.state.load() != PLAYER_STATE_PAUSED &&
                           Clock::now() - slots.last_activity > std::chrono::milliseconds(kDeviceStallMs);
      if (player.device_lost || stalled) {
        player.device_lost = false;
        player.cancel = true;
        lock.unlock();
        KVO_LOG(KVO_LOG_ERROR, "[%s][%s] the device is lost", kTag, "PlayThread");
        DeliverError(PLAYER_EVENT_DEVICE_ERROR, -1);
        lock.lock();
      }
    }

    // A stop, a failed synthesis or an allocation failure. A playback that
    // start has not yet handed over is left alone until it has been.
    if (player.cancel && player.launched) {
      lock.unlock();
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] get cancel event", kTag, "PlayThread");
      WindDown(player, slots, false);
      lock.lock();
      continue;
    }
    if (failed_set_up()) {
      lock.unlock();
      WindDown(player, slots, false);
      lock.lock();
      continue;
    }
    if (device == nullptr) continue;

    // Feed the device.
    const int free_slot = slots.Free();
    if (free_slot >= 0) {
      if (!player.queue.empty()) {
        Piece piece = player.queue.front();
        player.queue.pop_front();
        player.wake.notify_all();  // room for the synthesis
        lock.unlock();
        if (slots.starved) {
          slots.starved = false;
          DeliverState(PLAYER_EVENT_BUFFERED);
        }
        if (!slots.AnyBusy()) slots.last_activity = Clock::now();
        slots.piece[free_slot] = piece;
        slots.busy[free_slot] = true;
        player.slot_marker[free_slot].store(piece.marker);
        player.slot_last[free_slot].store(piece.last);
        device->Write(free_slot, piece.data, piece.size);
        if (!slots.first_written || (!slots.first_audio_written && !piece.silent)) {
          const long long now_us =
              std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
          const double ms = (now_us - player.start_time_us.load()) / 1000.0;
          if (!slots.first_written) {
            KVO_LOG(KVO_LOG_INFO, "[%s][%s] first buffer to the device %.1f ms after the start", kTag, "PlayThread",
                    ms);
          }
          if (!piece.silent) {
            KVO_LOG(KVO_LOG_INFO, "[%s][%s] first audio to the device %.1f ms after the start", kTag, "PlayThread", ms);
            slots.first_audio_written = true;
          }
          slots.first_written = true;
        }
        lock.lock();
      } else if (player.state.load() == PLAYER_STATE_PLAYING) {
        lock.unlock();
        DeliverState(PLAYER_EVENT_BUFFERING);
        slots.starved = true;
        lock.lock();
      }
    }

    // Finished buffers, the lower number first.
    for (int i = 0; i < 2; ++i) {
      if (!player.buffer_done[i]) continue;
      player.buffer_done[i] = false;
      if (!slots.busy[i]) continue;
      const bool last = slots.piece[i].last;
      FreePiece(slots.piece[i]);
      slots.busy[i] = false;
      slots.last_activity = Clock::now();
      if (last) {
        lock.unlock();
        KVO_LOG(KVO_LOG_INFO, "[%s][%s] no data, closing device", kTag, "PlayThread");
        WindDown(player, slots, true);
        lock.lock();
        break;
      }
    }
  }
  lock.unlock();
  slots.FreeAll();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] leave", kTag, "PlayThread");
}

}  // namespace kvo_player
