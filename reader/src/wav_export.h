// Speech of a text into a 16 kHz, 16-bit mono WAV file through a speech API
// session of its own. Runs on any thread; the reader runs it off the UI
// thread so that the window stays responsive.
#ifndef TAMBLOR_WAV_EXPORT_H
#define TAMBLOR_WAV_EXPORT_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace tamblor {

constexpr size_t kWavHeaderSize = 44;
// The export asks the session for pcm16k16bit, whatever the voice's own rate.
constexpr uint32_t kExportRate = 16000;

// The RIFF/WAVE header for `data_bytes` bytes of 16 kHz, 16-bit mono PCM.
void FillWavHeader(uint32_t data_bytes, unsigned char header[kWavHeaderSize]);

struct ExportRequest {
  std::string capkey;
  std::string text;  // UTF-8, already trimmed
  std::string path;
  int volume = 5;
  int pitch = 5;
  int speed = 5;
};

enum class ExportResult { kOk, kSessionFailed, kWriteFailed, kSynthFailed, kCancelled };

// Writes the audio into a scratch file beside `path` and moves it into place
// only when the synthesis and the header succeeded: a failed or cancelled
// export leaves no file behind (an existing file at `path` stays as it was).
// `progress` receives the bytes of text done so far; `cancel` ends the
// synthesis at the next audio piece.
ExportResult ExportWav(const ExportRequest& request, const std::atomic<bool>& cancel,
                       const std::function<void(size_t text_done)>& progress);

}  // namespace tamblor

#endif
