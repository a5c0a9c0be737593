#include "conversion_builder.h"

#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "frontend/intake/code_conversion.h"
#include "frontend/intake/internal_code.h"
#include "syllable_inventory.h"

namespace kvo::tables {

namespace {

using frontend::GbkCode;
using frontend::kCodeUnconvertible;

bool DecodeUtf8(const std::string& s, size_t* i, char32_t* cp) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  if (*i >= s.size()) return false;
  const unsigned char c = b(*i);
  size_t n;
  char32_t v;
  if (c < 0x80) {
    n = 1;
    v = c;
  } else if ((c & 0xE0) == 0xC0) {
    n = 2;
    v = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3;
    v = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4;
    v = c & 0x07;
  } else
    return false;
  if (*i + n > s.size()) return false;
  for (size_t k = 1; k < n; ++k) {
    if ((b(*i + k) & 0xC0) != 0x80) return false;
    v = (v << 6) | (b(*i + k) & 0x3F);
  }
  *i += n;
  *cp = v;
  return true;
}

bool Convert(void* handle, const void* in, size_t inSize, unsigned char* out, size_t* outSize) {
  if (handle == nullptr) return false;
  auto cd = static_cast<iconv_t>(handle);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(static_cast<const char*>(in));
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = inSize, outLeft = *outSize;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
  *outSize -= outLeft;
  return true;
}

void* Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : static_cast<void*>(cd);
}

void Close(void* handle) {
  if (handle != nullptr) iconv_close(static_cast<iconv_t>(handle));
}

bool IsGb2312(uint16_t code) {
  const int lead = frontend::LeadByte(code), trail = frontend::TrailByte(code);
  if (trail < 0xA1 || trail > 0xFE) return false;
  return (lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7);
}

void PutU16(std::vector<uint8_t>* out, uint16_t v) {
  out->push_back(static_cast<uint8_t>(v & 0xFF));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

bool LoadSimplifiedMap(const std::string& path, SimplifiedMap* map, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t i = 0;
    char32_t traditional, simplified;
    if (!DecodeUtf8(line, &i, &traditional) || i >= line.size() || line[i] != '\t') continue;
    ++i;
    if (!DecodeUtf8(line, &i, &simplified)) continue;
    if (i < line.size() && line[i] != ' ' && line[i] != '\r') continue;  // a phrase, not a character
    map->emplace(traditional, simplified);
  }
  return true;
}

bool LoadReadingMap(const std::string& path, ReadingMap* map, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos || tab + 2 >= line.size() + 1) continue;
    std::string reading = line.substr(tab + 1);
    while (!reading.empty() && (reading.back() == '\r' || reading.back() == ' ')) reading.pop_back();
    if (reading.size() < 2) continue;
    const char tone = reading.back();
    if (tone < '1' || tone > '5') continue;
    reading.pop_back();
    const char* const* end = kSyllables + kSyllableCount;
    const char* const* found = std::find_if(kSyllables, end, [&](const char* s) { return reading == s; });
    if (found == end) continue;
    const auto index = static_cast<uint16_t>(found - kSyllables);
    const char32_t cp = static_cast<char32_t>(std::strtoul(line.substr(0, tab).c_str(), nullptr, 16));
    map->emplace(cp, static_cast<uint16_t>(index * 5 + (tone - '1')));
  }
  return true;
}

ConversionBuilder::ConversionBuilder(SimplifiedMap simplified, ReadingMap readings)
    : simplified_(std::move(simplified)),
      readings_(std::move(readings)),
      toGbk_(Open("GBK", "UTF-32LE")),
      fromGbk_(Open("UTF-32LE", "GBK")),
      fromCp950_(Open("UTF-32LE", "CP950")),
      fromBig5_(Open("UTF-32LE", "BIG5")) {}

ConversionBuilder::~ConversionBuilder() {
  Close(toGbk_);
  Close(fromGbk_);
  Close(fromCp950_);
  Close(fromBig5_);
}

bool ConversionBuilder::ok() const {
  return toGbk_ != nullptr && fromGbk_ != nullptr && (fromCp950_ != nullptr || fromBig5_ != nullptr);
}

bool ConversionBuilder::UnicodeToGbk(char32_t codePoint, uint16_t* code) const {
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return false;
  const unsigned char in[4] = {static_cast<unsigned char>(codePoint), static_cast<unsigned char>(codePoint >> 8),
                               static_cast<unsigned char>(codePoint >> 16), 0};
  unsigned char out[8];
  size_t n = sizeof out;
  if (!Convert(toGbk_, in, 4, out, &n)) return false;
  if (n == 1 && out[0] < 0x80) {
    *code = out[0];
    return true;
  }
  if (n != 2) return false;
  *code = GbkCode(out[0], out[1]);
  return true;
}

namespace {
bool ToUnicode(void* handle, uint16_t code, char32_t* codePoint) {
  const unsigned char in[2] = {frontend::LeadByte(code), frontend::TrailByte(code)};
  unsigned char out[8];
  size_t n = sizeof out;
  if (!Convert(handle, in, 2, out, &n) || n != 4) return false;
  *codePoint = static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
  return true;
}
}  // namespace

bool ConversionBuilder::GbkToUnicode(uint16_t code, char32_t* codePoint) const {
  return ToUnicode(fromGbk_, code, codePoint);
}

bool ConversionBuilder::Big5ToUnicode(uint16_t code, char32_t* codePoint) const {
  return ToUnicode(fromCp950_, code, codePoint) || ToUnicode(fromBig5_, code, codePoint);
}

uint16_t ConversionBuilder::InternalCodeFor(char32_t codePoint) const {
  uint16_t gbk;
  const bool inGbk = UnicodeToGbk(codePoint, &gbk);
  if (inGbk && (gbk < 0x80 || IsGb2312(gbk))) return gbk;
  const auto simplified = simplified_.find(codePoint);
  const bool hasSimplified = simplified != simplified_.end() && simplified->second != codePoint;
  uint16_t simple;
  if (hasSimplified && UnicodeToGbk(simplified->second, &simple) && IsGb2312(simple)) return simple;
  const auto reading = readings_.find(codePoint);
  if (reading != readings_.end()) return static_cast<uint16_t>(frontend::kReadingCodeBase + reading->second);
  if (inGbk) return gbk;
  if (hasSimplified) {
    const auto simplifiedReading = readings_.find(simplified->second);
    if (simplifiedReading != readings_.end())
      return static_cast<uint16_t>(frontend::kReadingCodeBase + simplifiedReading->second);
    if (UnicodeToGbk(simplified->second, &simple)) return simple;
  }
  return kCodeUnconvertible;
}

uint16_t ConversionBuilder::TableValue(uint16_t internalCode) {
  // Reading codes are stored as their syllable code; lookups add 128 back.
  const uint16_t g = static_cast<uint16_t>(5 * kSyllableCount);
  if (internalCode >= frontend::kReadingCodeBase && internalCode <= frontend::kReadingCodeBase + g)
    return static_cast<uint16_t>(internalCode - frontend::kReadingCodeBase);
  return internalCode;
}

std::vector<uint8_t> ConversionBuilder::GbkSection() const {
  std::vector<uint16_t> table(frontend::kGbkTableEntries, kCodeUnconvertible);
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const uint16_t code = GbkCode(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      const int index = frontend::GbkExtensionIndex(code);
      if (index < 0) continue;
      char32_t cp;
      if (GbkToUnicode(code, &cp)) table[static_cast<size_t>(index)] = TableValue(InternalCodeFor(cp));
    }
  }
  std::vector<uint8_t> out;
  for (uint16_t v : table) PutU16(&out, v);
  return out;
}

std::vector<uint8_t> ConversionBuilder::Big5Section() const {
  std::vector<uint16_t> table(frontend::kBig5TableEntries, kCodeUnconvertible);
  for (int lead = 0xA1; lead <= 0xF9; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const uint16_t code = GbkCode(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      const int index = frontend::Big5Index(code);
      if (index < 0) continue;
      char32_t cp;
      if (Big5ToUnicode(code, &cp)) table[static_cast<size_t>(index)] = TableValue(InternalCodeFor(cp));
    }
  }
  std::vector<uint8_t> out;
  for (uint16_t v : table) PutU16(&out, v);
  return out;
}

std::vector<uint8_t> ConversionBuilder::UnicodeSection() const {
  struct Range {
    uint16_t start, end, base;
  };
  struct Pair {
    uint16_t code, value;
  };
  std::vector<Range> ranges;
  std::vector<Pair> pairs;
  // Runs of consecutive code points whose codes step through one GBK row
  // (trail byte + 1, i.e. +256) become ranges; the rest become pairs.
  constexpr size_t kMinRun = 4;
  std::vector<Pair> run;
  auto flush = [&]() {
    if (run.size() >= kMinRun) {
      ranges.push_back({run.front().code, run.back().code, run.front().value});
    } else {
      pairs.insert(pairs.end(), run.begin(), run.end());
    }
    run.clear();
  };
  ranges.push_back({0xD800, 0xDFFF, kCodeUnconvertible});  // lone surrogates
  for (char32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
    if (cp >= frontend::kUnicodeDirectFirst && cp <= frontend::kUnicodeDirectLast) continue;
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp == 0xFEFF || cp == 0xFFFF) continue;
    const uint16_t v = InternalCodeFor(cp);
    if (v == kCodeUnconvertible) {
      flush();
      continue;
    }
    const bool extends =
        !run.empty() && run.back().code + 1 == static_cast<uint16_t>(cp) && run.back().value + 256 == v;
    if (!extends) flush();
    run.push_back({static_cast<uint16_t>(cp), v});
  }
  flush();
  std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
  std::vector<uint8_t> out;
  PutU16(&out, static_cast<uint16_t>(ranges.size()));
  PutU16(&out, static_cast<uint16_t>(pairs.size()));
  for (const Range& r : ranges) {
    PutU16(&out, r.start);
    PutU16(&out, r.end);
    PutU16(&out, r.base);
  }
  for (const Pair& p : pairs) {
    PutU16(&out, p.code);
    PutU16(&out, p.value);
  }
  for (char32_t cp = frontend::kUnicodeDirectFirst; cp <= frontend::kUnicodeDirectLast; ++cp)
    PutU16(&out, InternalCodeFor(cp));
  return out;
}

}  // namespace kvo::tables
