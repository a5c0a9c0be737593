#include "audio_format.h"

namespace kvosay {

namespace {

const uint32_t kImaBlockBytes = 256;
const uint32_t kImaBlockSamples = 505;

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

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
  uint16_t tag = 1, bits = 16, block_align = 2;
  uint32_t byte_rate = static_cast<uint32_t>(format.rate) * 2;
  switch (format.coding) {
    case Coding::kPcm8:
      bits = 8;
      block_align = 1;
      byte_rate = static_cast<uint32_t>(format.rate);
      break;
    case Coding::kALaw:
      tag = 6;
      bits = 8;
      block_align = 1;
      byte_rate = static_cast<uint32_t>(format.rate);
      break;
    case Coding::kMuLaw:
      tag = 7;
      bits = 8;
      block_align = 1;
      byte_rate = static_cast<uint32_t>(format.rate);
      break;
    case Coding::kImaAdpcm:
      tag = 0x11;
      bits = 4;
      block_align = kImaBlockBytes;
      byte_rate = static_cast<uint32_t>(format.rate) * kImaBlockBytes / kImaBlockSamples;
      break;
    default:
      break;
  }
  const bool ima = format.coding == Coding::kImaAdpcm;
  const uint32_t fmt_bytes = ima ? 20 : 16;
  const uint32_t fact_bytes = ima ? 12 : 0;
  std::string h = "RIFF";
  Put32(h, 4 + (8 + fmt_bytes) + fact_bytes + 8 + data_bytes);
  h += "WAVEfmt ";
  Put32(h, fmt_bytes);
  Put16(h, tag);
  Put16(h, 1);
  Put32(h, static_cast<uint32_t>(format.rate));
  Put32(h, byte_rate);
  Put16(h, block_align);
  Put16(h, bits);
  if (ima) {
    Put16(h, 2);  // extra bytes
    Put16(h, kImaBlockSamples);
    h += "fact";
    Put32(h, 4);
    Put32(h, data_bytes / kImaBlockBytes * kImaBlockSamples);
  }
  h += "data";
  Put32(h, data_bytes);
  return h;
}

}  // namespace kvosay
