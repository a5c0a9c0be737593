#include "internal_text.h"

#include <iconv.h>

#include "front_end_runner.h"

namespace kvo::analyze {

namespace {

constexpr uint16_t kReadingCodeBase = 128;
const char kReplacement[] = "\xEF\xBF\xBD";

std::string GbkToUtf8(uint8_t lead, uint8_t trail) {
  static iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return kReplacement;
  char in_bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char out_bytes[8];
  char* in = in_bytes;
  char* out = out_bytes;
  size_t in_left = 2, out_left = sizeof out_bytes;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) || in_left != 0) return kReplacement;
  return std::string(out_bytes, sizeof out_bytes - out_left);
}

}  // namespace

std::string Utf8OfCode(const FrontEndRunner& runner, uint16_t code) {
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  const int32_t g = runner.SyllableCodeCount();
  if (code != 0xFFFF && code >= kReadingCodeBase && code <= kReadingCodeBase + g) {
    const std::string name = runner.SyllableName(static_cast<uint16_t>(code - kReadingCodeBase));
    return "[" + (name.empty() ? std::to_string(code) : name) + "]";
  }
  if (code == 0xFFFF) return kReplacement;
  return GbkToUtf8(static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8));
}

std::string Utf8OfCodes(const FrontEndRunner& runner, const uint16_t* codes, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += Utf8OfCode(runner, codes[i]);
  return out;
}

}  // namespace kvo::analyze
