// Writes domain libraries: the 20-byte locating header, the phrase
// dictionary read by word building and the speech part read by playback
// (layouts in docs/domain-library.md and engine/backend/domain/phrase_library.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvo::domain {

struct DomainPhrase {
  std::vector<uint16_t> text;    // internal character codes
  uint16_t positions = 0xF;      // bit v: allowed at position class v
  std::vector<uint8_t> coded;    // G.729 frames, 10 bytes each, our word order
  std::vector<uint16_t> pinyin;  // one unit code per character, 0xFFFF unknown
  std::string tag = "n";         // part-of-speech name (at most 4 bytes)
};

// Our 296-byte header of the speech part.
struct DomainHeader {
  std::string name;  // at most 63 bytes
};

constexpr char kDomainMagic[16] = "KVODOMAIN1";
constexpr uint32_t kDomainLayoutVersion = 1;

// Sorts the phrases by text (16-bit values, a prefix first), as the engine's
// index requires; returns them in the written order.
std::vector<DomainPhrase> SortPhrases(std::vector<DomainPhrase> phrases);

// The speech part of already sorted phrases.
std::vector<uint8_t> SpeechPart(const std::vector<DomainPhrase>& sorted, const DomainHeader& header);

// The phrase dictionary: entries of the phrases whose first character is a
// GB2312 Chinese character, grouped by that character. Entries that would
// make a character's block longer than the 40960 bytes word building reads
// are left out (the phrases still play) and counted in *dropped.
constexpr size_t kMaxDictionaryBlockBytes = 40960;
std::vector<uint8_t> DictionaryPart(const std::vector<DomainPhrase>& sorted, size_t* dropped = nullptr);

// A whole library: header, dictionary, speech part.
std::vector<uint8_t> DomainLibrary(const std::vector<DomainPhrase>& phrases, const DomainHeader& header,
                                   size_t* dropped = nullptr);

// GB2312 index of an internal code (lead byte low), or -1.
int Gb2312Index(uint16_t code);

}  // namespace kvo::domain
