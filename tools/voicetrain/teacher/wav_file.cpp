#include "teacher/wav_file.h"

#include <cstdio>
#include <cstring>

#include "wav_header.h"

namespace voicetrain {

namespace {

void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
uint32_t Get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool WriteWav16(const std::string& path, const std::vector<int16_t>& samples, int rate) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
  const std::string h = kvo_wav::WavHeader(kvo_wav::kPcm16, static_cast<uint32_t>(rate), data_bytes);
  bool ok = std::fwrite(h.data(), 1, h.size(), f) == h.size();
  for (int16_t s : samples) {
    unsigned char b[2];
    Put16(b, static_cast<uint16_t>(s));
    ok = ok && std::fwrite(b, 1, 2, f) == 2;
  }
  return std::fclose(f) == 0 && ok;
}

bool ReadWav16(const std::string& path, std::vector<int16_t>& samples, int& rate) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char h[12];
  bool ok = std::fread(h, 1, 12, f) == 12 && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0;
  bool have_format = false;
  while (ok) {
    unsigned char chunk[8];
    if (std::fread(chunk, 1, 8, f) != 8) {
      ok = false;
      break;
    }
    const uint32_t size = Get32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      unsigned char fmt[16];
      if (size < 16 || std::fread(fmt, 1, 16, f) != 16) {
        ok = false;
        break;
      }
      ok = Get16(fmt) == 1 && Get16(fmt + 2) == 1 && Get16(fmt + 14) == 16;
      rate = static_cast<int>(Get32(fmt + 4));
      have_format = true;
      if (size > 16) std::fseek(f, static_cast<long>(size - 16 + (size & 1)), SEEK_CUR);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) {
        ok = false;
        break;
      }
      samples.resize(size / 2);
      for (size_t i = 0; i < samples.size() && ok; ++i) {
        unsigned char b[2];
        ok = std::fread(b, 1, 2, f) == 2;
        samples[i] = static_cast<int16_t>(Get16(b));
      }
      break;
    } else {
      std::fseek(f, static_cast<long>(size + (size & 1)), SEEK_CUR);
    }
  }
  std::fclose(f);
  return ok && have_format;
}

}  // namespace voicetrain
