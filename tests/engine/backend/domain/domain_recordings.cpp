#include "domain_recordings.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "backend/domain/g729_decoder.h"

namespace domain_test {

namespace g729 = kvo::backend::g729;

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

std::vector<int16_t> DecodeFrames(const std::vector<uint8_t>& coded) {
  g729::G729Decoder d;
  g729::ResetDecoder(&d);
  std::vector<int16_t> out;
  for (size_t at = 0; at + g729::kFrameBytes <= coded.size(); at += g729::kFrameBytes) {
    int16_t frame[g729::kFrameSamples];
    g729::DecodeFrame(&d, &coded[at], frame);
    out.insert(out.end(), frame, frame + g729::kFrameSamples);
  }
  return out;
}

std::vector<std::vector<int16_t>> PhraseRecordings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> lib((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::vector<int16_t>> out;
  if (lib.size() < 20 || Le32(lib, 8) + 300 > lib.size()) return out;
  // The phrase part: its count at 296, then per phrase its text length
  // (16 bits) and the end of its coded frames (32 bits at +4), the texts,
  // and the coded frames.
  const size_t part = Le32(lib, 8);
  const uint32_t n = Le32(lib, part + 296);
  size_t texts = 0;
  for (uint32_t k = 0; k < n && part + 308 + 8 * k <= lib.size(); ++k)
    texts += lib[part + 300 + 8 * k] | lib[part + 301 + 8 * k] << 8;
  const size_t coded = part + 300 + 8 * size_t{n} + texts;
  uint32_t begin = 0;
  for (uint32_t k = 0; k < n && part + 308 + 8 * k <= lib.size(); ++k) {
    const uint32_t end = Le32(lib, part + 304 + 8 * k);
    // A phrase's frames, cut at the end of the file.
    const size_t limit = coded > lib.size() ? 0 : std::min<size_t>(end, lib.size() - coded);
    out.push_back(begin < limit ? DecodeFrames({lib.begin() + static_cast<std::ptrdiff_t>(coded + begin),
                                                lib.begin() + static_cast<std::ptrdiff_t>(coded + limit)})
                                : std::vector<int16_t>());
    begin = end;
  }
  return out;
}

}  // namespace domain_test
