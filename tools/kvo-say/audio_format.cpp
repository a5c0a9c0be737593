#include "audio_format.h"

#include "wav_header.h"

namespace kvosay {

namespace {

constexpr uint16_t kImaBlockBytes = 256;
constexpr uint16_t kImaBlockSamples = 505;

// IMA ADPCM blocks of 256 bytes: a 4-byte block header and 504 coded samples.
constexpr kvo_wav::WavCoding kImaAdpcm{kvo_wav::kImaAdpcmTag, 4, kImaBlockBytes, kImaBlockSamples};

}  // namespace

double AudioFormat::BytesPerSecond() const {
  switch (coding) {
    case Coding::kPcm16:
      return rate * 2.0;
    case Coding::kVox:
      return rate / 2.0;
    case Coding::kImaAdpcm:
      return rate * double(kImaBlockBytes) / kImaBlockSamples;
    default:
      return rate;
  }
}

bool FindAudioFormat(const std::string& name, int voice_rate, int voice_bits, AudioFormat& out) {
  struct Entry {
    const char* name;
    int rate;
    Coding coding;
  };
  // What the engine modules' audioformat rule accepts (besides "auto"):
  // the engine's VOX codes have no name there.
  static const Entry kFormats[] = {
      {"pcm8k8bit", 8000, Coding::kPcm8},   {"pcm8k16bit", 8000, Coding::kPcm16},
      {"pcm16k8bit", 16000, Coding::kPcm8}, {"pcm16k16bit", 16000, Coding::kPcm16},
      {"pcm11k8bit", 11025, Coding::kPcm8}, {"pcm11k16bit", 11025, Coding::kPcm16},
      {"alaw8k8bit", 8000, Coding::kALaw},  {"ulaw8k8bit", 8000, Coding::kMuLaw},
  };
  out = AudioFormat();
  out.name = name;
  if (name == "auto") {
    out.rate = voice_rate;
    out.coding = voice_bits == 8 ? Coding::kPcm8 : Coding::kPcm16;
    return true;
  }
  for (const Entry& entry : kFormats) {
    if (name == entry.name) {
      out.rate = entry.rate;
      out.coding = entry.coding;
      return true;
    }
  }
  return false;
}

std::string WavHeader(const AudioFormat& format, uint32_t data_bytes) {
  kvo_wav::WavCoding coding = kvo_wav::kPcm16;
  switch (format.coding) {
    case Coding::kPcm8:
      coding = kvo_wav::kPcm8;
      break;
    case Coding::kALaw:
      coding = kvo_wav::kALaw;
      break;
    case Coding::kMuLaw:
      coding = kvo_wav::kMuLaw;
      break;
    case Coding::kImaAdpcm:
      coding = kImaAdpcm;
      break;
    default:
      break;
  }
  return kvo_wav::WavHeader(coding, static_cast<uint32_t>(format.rate), data_bytes);
}

}  // namespace kvosay
