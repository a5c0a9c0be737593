#include "wav_export.h"

#include <cstdio>
#include <cstring>

#include "kvo_tts.h"
#include "wav_header.h"

namespace tamblor {
namespace {

struct Sink {
  std::FILE* file = nullptr;
  const char* text = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  const std::function<void(size_t)>* progress = nullptr;
  uint64_t audio_bytes = 0;
  bool write_failed = false;
  bool cancelled = false;
};

bool OnResult(void* user, const TtsSynthResult* result, int error_code) {
  Sink* sink = static_cast<Sink*>(user);
  if (error_code != 0 || result == nullptr) return false;
  if (sink->cancel->load()) {
    sink->cancelled = true;
    return false;
  }
  if (result->voice_data != nullptr && result->voice_size != 0) {
    if (std::fwrite(result->voice_data, 1, result->voice_size, sink->file) != result->voice_size) {
      sink->write_failed = true;
      return false;
    }
    sink->audio_bytes += result->voice_size;
  }
  if (result->text != nullptr && result->text >= sink->text && *sink->progress)
    (*sink->progress)(static_cast<size_t>(result->text - sink->text) + result->text_len);
  return true;
}

}  // namespace

void FillWavHeader(uint32_t data_bytes, unsigned char header[kWavHeaderSize]) {
  const std::string bytes = kvo_wav::WavHeader(kvo_wav::kPcm16, kExportRate, data_bytes);
  std::memcpy(header, bytes.data(), kWavHeaderSize);
}

ExportResult ExportWav(const ExportRequest& request, const std::atomic<bool>& cancel,
                       const std::function<void(size_t)>& progress) {
  int session = -1;
  const std::string session_config = "capKey=" + request.capkey;
  if (kvo_tts_session_start(session_config.c_str(), &session) != 0) return ExportResult::kSessionFailed;

  const std::string scratch = request.path + ".part";
  std::FILE* file = std::fopen(scratch.c_str(), "wb");
  unsigned char header[kWavHeaderSize];
  FillWavHeader(0, header);
  if (file == nullptr || std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    if (file != nullptr) {
      std::fclose(file);
      std::remove(scratch.c_str());
    }
    kvo_tts_session_stop(session);
    return ExportResult::kWriteFailed;
  }

  Sink sink;
  sink.file = file;
  sink.text = request.text.c_str();
  sink.cancel = &cancel;
  sink.progress = &progress;
  char synth_config[128];
  std::snprintf(synth_config, sizeof synth_config, "audioFormat=pcm16k16bit,Volume=%d,Pitch=%d,Speed=%d",
                request.volume, request.pitch, request.speed);
  const int code = kvo_tts_synth(session, request.text.c_str(), synth_config, OnResult, &sink);
  kvo_tts_session_stop(session);

  ExportResult outcome = ExportResult::kOk;
  if (sink.cancelled || cancel.load()) {
    outcome = ExportResult::kCancelled;
  } else if (sink.write_failed) {
    outcome = ExportResult::kWriteFailed;
  } else if (code != 0) {
    outcome = ExportResult::kSynthFailed;
  } else if (sink.audio_bytes > UINT32_MAX - 36) {
    // A RIFF file cannot describe more; refuse rather than write wrong sizes.
    outcome = ExportResult::kWriteFailed;
  } else {
    FillWavHeader(static_cast<uint32_t>(sink.audio_bytes), header);
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, file) != sizeof header)
      outcome = ExportResult::kWriteFailed;
  }
  if (std::fclose(file) != 0 && outcome == ExportResult::kOk) outcome = ExportResult::kWriteFailed;
  if (outcome == ExportResult::kOk && std::rename(scratch.c_str(), request.path.c_str()) != 0)
    outcome = ExportResult::kWriteFailed;
  if (outcome != ExportResult::kOk) std::remove(scratch.c_str());
  return outcome;
}

}  // namespace tamblor
