// The output formats a session can ask for (configuration key audioformat)
// and how each is stored in a WAV file.
#ifndef KVO_SAY_AUDIO_FORMAT_H
#define KVO_SAY_AUDIO_FORMAT_H

#include <cstdint>
#include <string>

namespace kvosay {

enum class Coding { kPcm8, kPcm16, kALaw, kMuLaw, kVox, kImaAdpcm };

struct AudioFormat {
  std::string name;
  int rate = 16000;
  Coding coding = Coding::kPcm16;
  bool has_wav_header() const { return coding != Coding::kVox; }
  // Bytes of audio per second, for reporting durations.
  double BytesPerSecond() const;
};

// Looks up an audioformat value; "auto" (and "ima") take the voice's rate
// and width. False for an unknown name.
bool FindAudioFormat(const std::string& name, int voice_rate, int voice_bits, AudioFormat& out);

// A canonical 44-byte header (PCM, A-law, mu-law) or the 60-byte IMA ADPCM
// header with its fact chunk, for data_bytes of audio.
std::string WavHeader(const AudioFormat& format, uint32_t data_bytes);

}  // namespace kvosay

#endif
