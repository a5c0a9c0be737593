// The RIFF/WAVE header in front of mono audio: one description for every
// program that writes WAV files (kvo-say, the reader's export, the voice
// tools).
#ifndef KVO_COMMON_WAV_HEADER_H
#define KVO_COMMON_WAV_HEADER_H

#include <cstdint>
#include <string>

namespace kvo_wav {

// How the samples after the header are stored.
struct WavCoding {
  uint16_t tag;            // 1 PCM, 6 A-law, 7 mu-law, 0x11 IMA ADPCM
  uint16_t bits;           // bits per stored sample
  uint16_t block_bytes;    // bytes per block (one sample outside ADPCM)
  uint16_t block_samples;  // samples per block
};

inline constexpr WavCoding kPcm16{1, 16, 2, 1};
inline constexpr WavCoding kPcm8{1, 8, 1, 1};
inline constexpr WavCoding kALaw{6, 8, 1, 1};
inline constexpr WavCoding kMuLaw{7, 8, 1, 1};
inline constexpr uint16_t kImaAdpcmTag = 0x11;

// Header bytes before the data of a 16-bit PCM file.
inline constexpr uint32_t kPcmHeaderBytes = 44;

namespace detail {
inline void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
}  // namespace detail

// The header for `data_bytes` of audio. ADPCM adds the samples-per-block
// extension and the fact chunk with the sample count its decoders expect.
inline std::string WavHeader(const WavCoding& coding, uint32_t rate, uint32_t data_bytes) {
  using detail::Put16;
  using detail::Put32;
  const bool adpcm = coding.tag == kImaAdpcmTag;
  const uint32_t fmt_bytes = adpcm ? 20 : 16;
  const uint32_t fact_bytes = adpcm ? 12 : 0;
  std::string h = "RIFF";
  Put32(h, 4 + (8 + fmt_bytes) + fact_bytes + 8 + data_bytes);
  h += "WAVEfmt ";
  Put32(h, fmt_bytes);
  Put16(h, coding.tag);
  Put16(h, 1);
  Put32(h, rate);
  Put32(h, static_cast<uint32_t>(static_cast<uint64_t>(rate) * coding.block_bytes / coding.block_samples));
  Put16(h, coding.block_bytes);
  Put16(h, coding.bits);
  if (adpcm) {
    Put16(h, 2);  // extension bytes
    Put16(h, coding.block_samples);
    h += "fact";
    Put32(h, 4);
    Put32(h, data_bytes / coding.block_bytes * coding.block_samples);
  }
  h += "data";
  Put32(h, data_bytes);
  return h;
}

}  // namespace kvo_wav

#endif
