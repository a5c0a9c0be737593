// The sound card through PortAudio. The stream callback runs on PortAudio's
// real-time thread: it takes no lock and allocates nothing. It copies from
// the two buffers in the order they were written, publishes each finished
// buffer on a small lock-free ring and posts a semaphore; a notifier thread
// turns those into kDeviceBufferDone messages.
#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>
#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <initializer_list>
#include <new>
#include <thread>

#include "audio_device.h"
#include "kvo_sys.h"

namespace kvo_player {

namespace {

const char kTag[] = "kvo_player";

class PortAudioDevice : public AudioDevice {
 public:
  PortAudioDevice(const DeviceFormat& format, DeviceNotify notify, void* user)
      : frame_bytes_(format.bits / 8), silence_(format.bits == 8 ? 0x80 : 0), notify_(notify), user_(user) {
    sem_init(&posted_, 0, 0);
  }

  ~PortAudioDevice() override {
    if (stream_ != nullptr) Close();
    sem_destroy(&posted_);
  }

  int Open(int device_id, const DeviceFormat& format) {
    const int count = Pa_GetDeviceCount();
    PaStreamParameters out;
    std::memset(&out, 0, sizeof out);
    out.device = device_id < 0 ? Pa_GetDefaultOutputDevice() : device_id;
    if (out.device == paNoDevice || out.device >= count) return paInvalidDevice;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(out.device);
    if (info == nullptr || info->maxOutputChannels < 1) return paInvalidDevice;
    out.channelCount = 1;
    out.sampleFormat = format.bits == 8 ? paUInt8 : paInt16;
    out.suggestedLatency = info->defaultLowOutputLatency;
    PaError error = Pa_OpenStream(&stream_, nullptr, &out, format.rate, paFramesPerBufferUnspecified, paClipOff,
                                  &PortAudioDevice::Callback, this);
    if (error != paNoError) {
      stream_ = nullptr;
      return error;
    }
    Pa_SetStreamFinishedCallback(stream_, &PortAudioDevice::Finished);
    try {
      notifier_ = std::thread([this] { Notifier(); });
    } catch (...) {
      Pa_CloseStream(stream_);
      stream_ = nullptr;
      return paInsufficientMemory;
    }
    error = StartStream();
    if (error != paNoError) {
      StopNotifier();
      Pa_CloseStream(stream_);
      stream_ = nullptr;
      return error;
    }
    // The device is open: reported from the notifier thread, as the rest is.
    sem_post(&posted_);
    while (!opened_.load(std::memory_order_acquire)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return paNoError;
  }

  int Write(int buffer, const unsigned char* data, int size) override {
    if (buffer < 0 || buffer > 1 || size <= 0) return -1;
    const unsigned w = write_seq_.load(std::memory_order_relaxed);
    if (w - read_seq_.load(std::memory_order_acquire) >= 2) return -1;
    slot_data_[buffer] = data;
    slot_size_[buffer] = size;
    slot_pos_[buffer] = 0;
    order_[w % 2] = buffer;
    write_seq_.store(w + 1, std::memory_order_release);
    if (stopped_) return StartStream();
    return 0;
  }

  int Pause() override {
    paused_.store(true, std::memory_order_release);
    return 0;
  }

  int Restart() override {
    paused_.store(false, std::memory_order_release);
    return 0;
  }

  int Reset() override {
    if (stream_ == nullptr) return -1;
    PaError error = paNoError;
    if (!stopped_) {
      expect_stop_.store(true, std::memory_order_release);
      // Unplayed buffers are dropped at once; otherwise the tail that is
      // already with the sound card is played out.
      const bool pending = write_seq_.load(std::memory_order_acquire) != read_seq_.load(std::memory_order_acquire);
      error = pending ? Pa_AbortStream(stream_) : Pa_StopStream(stream_);
      stopped_ = true;
    }
    // The callback has stopped: what it did not finish goes back now.
    const unsigned w = write_seq_.load(std::memory_order_acquire);
    for (unsigned r = read_seq_.load(std::memory_order_acquire); r != w; ++r) {
      notify_(user_, kDeviceBufferDone, order_[r % 2]);
    }
    read_seq_.store(w, std::memory_order_release);
    return error;
  }

  int Close() override {
    if (stream_ == nullptr) return -1;
    Reset();
    const PaError error = Pa_CloseStream(stream_);
    stream_ = nullptr;
    StopNotifier();
    notify_(user_, kDeviceClosed, -1);
    return error;
  }

 private:
  PaError StartStream() {
    expect_stop_.store(false, std::memory_order_release);
    const PaError error = Pa_StartStream(stream_);
    stopped_ = error != paNoError;
    return error;
  }

  void StopNotifier() {
    quit_.store(true, std::memory_order_release);
    sem_post(&posted_);
    if (notifier_.joinable()) notifier_.join();
  }

  static int Callback(const void* /*input*/, void* output, unsigned long frames,
                      const PaStreamCallbackTimeInfo* /*time*/, PaStreamCallbackFlags /*flags*/, void* user) {
    static_cast<PortAudioDevice*>(user)->Fill(static_cast<unsigned char*>(output), frames);
    return paContinue;
  }

  static void Finished(void* user) {
    PortAudioDevice* self = static_cast<PortAudioDevice*>(user);
    if (!self->expect_stop_.load(std::memory_order_acquire)) {
      self->lost_.store(true, std::memory_order_release);
      sem_post(&self->posted_);
    }
  }

  // Real-time thread: atomics and memcpy only.
  void Fill(unsigned char* out, unsigned long frames) {
    size_t want = frames * frame_bytes_;
    if (paused_.load(std::memory_order_acquire)) {
      std::memset(out, silence_, want);
      return;
    }
    while (want > 0) {
      const unsigned r = read_seq_.load(std::memory_order_relaxed);
      if (r == write_seq_.load(std::memory_order_acquire)) break;
      const int buffer = order_[r % 2];
      const size_t left = static_cast<size_t>(slot_size_[buffer] - slot_pos_[buffer]);
      const size_t n = left < want ? left : want;
      std::memcpy(out, slot_data_[buffer] + slot_pos_[buffer], n);
      out += n;
      want -= n;
      slot_pos_[buffer] += static_cast<int>(n);
      if (slot_pos_[buffer] == slot_size_[buffer]) {
        const unsigned d = done_write_.load(std::memory_order_relaxed);
        done_[d % 4] = buffer;
        done_write_.store(d + 1, std::memory_order_release);
        read_seq_.store(r + 1, std::memory_order_release);
        sem_post(&posted_);
      }
    }
    if (want > 0) std::memset(out, silence_, want);
  }

  void Notifier() {
    while (true) {
      while (sem_wait(&posted_) != 0 && errno == EINTR) {
      }
      if (!opened_.load(std::memory_order_acquire)) {
        notify_(user_, kDeviceOpened, -1);
        opened_.store(true, std::memory_order_release);
        continue;
      }
      const unsigned d = done_write_.load(std::memory_order_acquire);
      while (done_read_ != d) {
        notify_(user_, kDeviceBufferDone, done_[done_read_ % 4]);
        ++done_read_;
      }
      if (lost_.exchange(false, std::memory_order_acq_rel)) notify_(user_, kDeviceLost, -1);
      if (quit_.load(std::memory_order_acquire)) break;
    }
  }

  const int frame_bytes_;
  const int silence_;
  const DeviceNotify notify_;
  void* const user_;
  PaStream* stream_ = nullptr;
  bool stopped_ = true;
  std::thread notifier_;
  sem_t posted_;
  std::atomic<bool> opened_{false};
  std::atomic<bool> quit_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> lost_{false};
  std::atomic<bool> expect_stop_{false};
  // Written by the owner before write_seq_ publishes them.
  const unsigned char* slot_data_[2] = {nullptr, nullptr};
  int slot_size_[2] = {0, 0};
  int slot_pos_[2] = {0, 0};
  int order_[2] = {0, 1};
  std::atomic<unsigned> write_seq_{0};
  std::atomic<unsigned> read_seq_{0};
  // Finished buffers, from the callback to the notifier.
  int done_[4] = {0, 0, 0, 0};
  std::atomic<unsigned> done_write_{0};
  unsigned done_read_ = 0;
};

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

// PortAudio probes a JACK server, and libjack writes to stderr when there is
// none. libjack comes with PortAudio when it was built with JACK; its
// message hooks are looked up rather than linked.
void QuietJackMessages() {
  typedef void (*SetFunction)(void (*)(const char*));
  for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
    void* symbol = dlsym(RTLD_DEFAULT, name);
    if (symbol != nullptr) reinterpret_cast<SetFunction>(symbol)(&QuietJack);
  }
}

class PortAudioDriver : public AudioDriver {
 public:
  PortAudioDriver() {
    // ALSA reports every device it probes and cannot open on stderr.
    snd_lib_error_set_handler(&QuietAlsa);
    QuietJackMessages();
    const PaError error = Pa_Initialize();
    initialised_ = error == paNoError;
    if (!initialised_) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] Pa_Initialize failed: %d %s", kTag, "OpenDevice", error, Pa_GetErrorText(error));
    } else {
      KVO_LOG(KVO_LOG_INFO, "[%s][%s] PortAudio: %d devices, default output %d", kTag, "OpenDevice",
              Pa_GetDeviceCount(), Pa_GetDefaultOutputDevice());
    }
  }

  ~PortAudioDriver() override {
    if (initialised_) Pa_Terminate();
  }

  int Open(int device_id, const DeviceFormat& format, DeviceNotify notify, void* user, AudioDevice** device) override {
    *device = nullptr;
    if (!initialised_) return paNotInitialized;
    PortAudioDevice* opened = new (std::nothrow) PortAudioDevice(format, notify, user);
    if (opened == nullptr) return paInsufficientMemory;
    const int error = opened->Open(device_id, format);
    if (error != paNoError) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] PortAudio: %d %s", kTag, "OpenDevice", error,
              Pa_GetErrorText(static_cast<PaError>(error)));
      delete opened;
      return error;
    }
    *device = opened;
    return 0;
  }

  const char* Name() const override { return "portaudio"; }

 private:
  bool initialised_ = false;
};

}  // namespace

AudioDriver* CreatePortAudioDriver() { return new (std::nothrow) PortAudioDriver(); }

}  // namespace kvo_player
