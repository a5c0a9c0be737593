// The null device: plays nothing, on a clock of its own. A buffer lasts its
// number of frames at the device rate; "fast" finishes it as soon as it is
// its turn, "realtime" after that long on the steady clock (a pause holds the
// clock). Its thread reports what the device callback of a sound card would.
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "audio_device.h"

namespace kvo_player {

namespace {

using Clock = std::chrono::steady_clock;

class NullDevice : public AudioDevice {
 public:
  NullDevice(const DeviceFormat& format, bool realtime, int lose_after, DeviceNotify notify, void* user)
      : format_(format), realtime_(realtime), lose_after_(lose_after), notify_(notify), user_(user) {}

  bool Start() {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (...) {
      return false;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return opened_; });
    return true;
  }

  int Write(int buffer, const unsigned char* /*data*/, int size) override {
    if (buffer < 0 || buffer > 1 || size <= 0) return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == 2) return -1;
    order_[(head_ + count_) % 2] = buffer;
    size_[buffer] = size;
    ++count_;
    wake_.notify_all();
    return 0;
  }

  int Pause() override {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = true;
    wake_.notify_all();
    return 0;
  }

  int Restart() override {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = false;
    wake_.notify_all();
    return 0;
  }

  int Reset() override {
    int returned[2];
    int n = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      while (count_ > 0) {
        returned[n++] = order_[head_];
        head_ = (head_ + 1) % 2;
        --count_;
      }
      started_ = false;
      ++generation_;
      wake_.notify_all();
    }
    for (int i = 0; i < n; ++i) notify_(user_, kDeviceBufferDone, returned[i]);
    return 0;
  }

  int Close() override {
    Reset();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closing_ = true;
      wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    return 0;
  }

  ~NullDevice() override {
    if (thread_.joinable()) Close();
  }

 private:
  Clock::duration Duration(int size) const {
    const long long frames = size / (format_.bits / 8);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(frames * 1000000 / format_.rate));
  }

  void Run() {
    notify_(user_, kDeviceOpened, -1);
    std::unique_lock<std::mutex> lock(mutex_);
    opened_ = true;
    wake_.notify_all();
    while (true) {
      wake_.wait(lock, [this] { return closing_ || (!paused_ && !lost_ && count_ > 0); });
      if (closing_) break;
      const int buffer = order_[head_];
      if (!started_) {
        // The clock of this buffer starts now; a pause keeps what is left.
        left_ = Duration(size_[buffer]);
        started_ = true;
      }
      if (realtime_) {
        const unsigned generation = generation_;
        const Clock::time_point until = Clock::now() + left_;
        wake_.wait_until(lock, until, [&] { return closing_ || paused_ || generation != generation_; });
        if (closing_ || generation != generation_) continue;  // reset: the buffer was returned
        if (paused_) {
          const Clock::time_point now = Clock::now();
          left_ = now < until ? until - now : Clock::duration::zero();
          continue;
        }
      }
      head_ = (head_ + 1) % 2;
      --count_;
      started_ = false;
      ++finished_;
      const bool lose = lose_after_ >= 0 && finished_ >= lose_after_;
      if (lose) lost_ = true;
      lock.unlock();
      if (lose) {
        notify_(user_, kDeviceLost, -1);
      } else {
        notify_(user_, kDeviceBufferDone, buffer);
      }
      lock.lock();
    }
    lock.unlock();
    notify_(user_, kDeviceClosed, -1);
  }

  const DeviceFormat format_;
  const bool realtime_;
  const int lose_after_;
  const DeviceNotify notify_;
  void* const user_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool opened_ = false;
  bool closing_ = false;
  bool paused_ = false;
  bool lost_ = false;
  bool started_ = false;
  unsigned generation_ = 0;
  int order_[2] = {0, 1};
  int size_[2] = {0, 0};
  int head_ = 0;
  int count_ = 0;
  int finished_ = 0;
  Clock::duration left_{};
};

class NullDriver : public AudioDriver {
 public:
  NullDriver(bool realtime, int lose_after) : realtime_(realtime), lose_after_(lose_after) {}

  // One output, number 0; -1 is the same.
  int Open(int device_id, const DeviceFormat& format, DeviceNotify notify, void* user, AudioDevice** device) override {
    *device = nullptr;
    if (device_id != -1 && device_id != 0) return -1;
    if (format.rate <= 0 || (format.bits != 8 && format.bits != 16)) return -1;
    NullDevice* opened = new (std::nothrow) NullDevice(format, realtime_, lose_after_, notify, user);
    if (opened == nullptr) return -1;
    if (!opened->Start()) {
      delete opened;
      return -1;
    }
    *device = opened;
    return 0;
  }

  const char* Name() const override { return realtime_ ? "null-realtime" : "null"; }

 private:
  const bool realtime_;
  const int lose_after_;
};

}  // namespace

AudioDriver* CreateNullDriver(bool realtime, int lose_after) {
  return new (std::nothrow) NullDriver(realtime, lose_after);
}

AudioDriver* CreateAudioDriver(const char* name) {
  if (name == nullptr || *name == '\0' || std::strcmp(name, "portaudio") == 0) return CreatePortAudioDriver();
  std::string kind = name;
  int lose_after = -1;
  const size_t colon = kind.find(':');
  if (colon != std::string::npos) {
    const std::string option = kind.substr(colon + 1);
    kind.resize(colon);
    if (option.compare(0, 5, "lose=") != 0 || option.size() == 5 ||
        option.find_first_not_of("0123456789", 5) != std::string::npos || option.size() > 14) {
      return nullptr;
    }
    lose_after = std::atoi(option.c_str() + 5);
  }
  if (kind == "null") return CreateNullDriver(false, lose_after);
  if (kind == "null-realtime") return CreateNullDriver(true, lose_after);
  return nullptr;
}

}  // namespace kvo_player
