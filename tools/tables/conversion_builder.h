// Builders of the conversion sections (GBK extension, Big5, Unicode) from
// glibc iconv and a traditional-to-simplified character table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kvo::tables {

// Traditional code point -> simplified code point.
using SimplifiedMap = std::map<char32_t, char32_t>;

// Reads lines "TRADITIONAL<tab>SIMPLIFIED[ ALTERNATIVE...]" (UTF-8; '#'
// starts a comment); the first simplified form is used. Returns false when
// the file cannot be read.
bool LoadSimplifiedMap(const std::string& path, SimplifiedMap* map, std::string* error);

// Code point -> syllable code (syllable index × 5 + tone − 1) of its default reading.
using ReadingMap = std::map<char32_t, uint16_t>;

// Reads lines "HEXCODEPOINT<tab>syllable+tone digit" ('#' starts a comment);
// readings whose syllable is not in the syllable table are skipped.
bool LoadReadingMap(const std::string& path, ReadingMap* map, std::string* error);

class ConversionBuilder {
 public:
  explicit ConversionBuilder(SimplifiedMap simplified, ReadingMap readings = {});
  ~ConversionBuilder();
  ConversionBuilder(const ConversionBuilder&) = delete;
  ConversionBuilder& operator=(const ConversionBuilder&) = delete;

  bool ok() const;  // iconv has every converter needed

  // The internal code a Unicode character reads as: its GB2312 code; for
  // any other character the GB2312 code of its simplified form, else a
  // reading code (128 + syllable code) of its default reading, else its own
  // GBK code, else the GBK code of its simplified form; 0xFFFF when there is
  // none of these.
  uint16_t InternalCodeFor(char32_t codePoint) const;

  std::vector<uint8_t> GbkSection() const;      // 4
  std::vector<uint8_t> Big5Section() const;     // 5
  std::vector<uint8_t> UnicodeSection() const;  // 6

  // Single conversions through iconv (false when there is no such character).
  bool UnicodeToGbk(char32_t codePoint, uint16_t* code) const;
  bool GbkToUnicode(uint16_t code, char32_t* codePoint) const;
  bool Big5ToUnicode(uint16_t code, char32_t* codePoint) const;

  // The value a GBK or Big5 table entry stores for an internal code: a
  // reading code as its syllable code (lookups add 128 back).
  static uint16_t TableValue(uint16_t internalCode);

 private:
  SimplifiedMap simplified_;
  ReadingMap readings_;
  void* toGbk_;
  void* fromGbk_;
  void* fromCp950_;
  void* fromBig5_;
};

}  // namespace kvo::tables
