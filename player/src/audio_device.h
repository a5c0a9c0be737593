// The sound output behind the play thread: an opened device takes two
// alternating buffers, reports each finished buffer in the order written,
// and can pause, restart, reset and close. Two drivers: PortAudio, and a
// null device on a clock of its own for machines without sound and for tests.
#ifndef KVO_PLAYER_AUDIO_DEVICE_H
#define KVO_PLAYER_AUDIO_DEVICE_H

namespace kvo_player {

// Messages of an opened device to its owner.
enum DeviceMessage {
  kDeviceOpened = 0,      // before Open returns
  kDeviceBufferDone = 1,  // buffer (0 or 1) has been played, or returned by Reset
  kDeviceClosed = 2,      // before Close returns; nothing follows
  kDeviceLost = 3         // the device stopped on its own; buffers may never finish
};
typedef void (*DeviceNotify)(void* user, int message, int buffer);

// Mono PCM; 8-bit samples are unsigned, 16-bit signed little-endian.
struct DeviceFormat {
  int rate;
  int bits;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Queues buffer 0 or 1 behind the one playing. data stays the caller's and
  // must stay valid until the buffer is reported done.
  virtual int Write(int buffer, const unsigned char* data, int size) = 0;
  virtual int Pause() = 0;
  virtual int Restart() = 0;
  // Stops at once and reports every buffer not yet finished as done. What
  // was already finished is played out.
  virtual int Reset() = 0;
  // Resets, closes and reports kDeviceClosed. No message follows; the
  // caller then deletes the object.
  virtual int Close() = 0;
};

class AudioDriver {
 public:
  virtual ~AudioDriver() = default;
  // device_id -1 is the default output device. Returns 0 and the device, or
  // a non-zero code (nothing is reported then).
  virtual int Open(int device_id, const DeviceFormat& format, DeviceNotify notify, void* user,
                   AudioDevice** device) = 0;
  virtual const char* Name() const = 0;
};

// The driver named by a KVO_AUDIO_DEVICE value: null or empty is PortAudio;
// "null" a null device as fast as it is fed, "null-realtime" one at the
// pace of the audio; either may end in ":lose=N" (the device is lost after
// N buffers, for tests). Returns null for an unknown name or on allocation
// failure.
AudioDriver* CreateAudioDriver(const char* name);
AudioDriver* CreatePortAudioDriver();
AudioDriver* CreateNullDriver(bool realtime, int lose_after);

}  // namespace kvo_player

#endif
