#include "domain_writer.h"

#include <algorithm>
#include <cstring>

#include "backend/domain/phrase_library.h"

namespace kvo::domain {

namespace {

constexpr int kCharacters = 6768;
constexpr uint32_t kDictionaryBase = 54148;  // blocks start here (M = 0)

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool TextLess(const DomainPhrase& a, const DomainPhrase& b) {
  return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end());
}

}  // namespace

int Gb2312Index(uint16_t code) {
  const int lead = code & 0xff, trail = code >> 8;
  if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return -1;
  return (lead - 0xB0) * 94 + (trail - 0xA1);
}

std::vector<DomainPhrase> SortPhrases(std::vector<DomainPhrase> phrases) {
  std::stable_sort(phrases.begin(), phrases.end(), TextLess);
  return phrases;
}

std::vector<uint8_t> SpeechPart(const std::vector<DomainPhrase>& sorted, const DomainHeader& header) {
  std::vector<uint8_t> b(backend::kPhraseHeaderBytes, 0);
  std::memcpy(b.data(), kDomainMagic, sizeof(kDomainMagic));
  uint32_t coded = 0;
  for (const DomainPhrase& p : sorted) coded += static_cast<uint32_t>(p.coded.size());
  Set32(b, 16, kDomainLayoutVersion);
  Set32(b, 20, static_cast<uint32_t>(sorted.size()));
  Set32(b, 24, 8000);   // rate of the coded speech
  b[28] = 16;           // bits per decoded sample
  b[30] = 10;           // bytes per coded frame
  Set32(b, 32, coded);  // bytes of coded speech
  const size_t name = std::min<size_t>(header.name.size(), 63);
  std::memcpy(b.data() + 36, header.name.data(), name);

  Put32(b, static_cast<uint32_t>(sorted.size()));
  uint32_t end = 0;
  for (const DomainPhrase& p : sorted) {
    end += static_cast<uint32_t>(p.coded.size());
    Put16(b, static_cast<uint32_t>(p.text.size() * 2));
    Put16(b, p.positions);
    Put32(b, end);
  }
  for (const DomainPhrase& p : sorted)
    for (uint16_t c : p.text) Put16(b, c);
  for (const DomainPhrase& p : sorted) b.insert(b.end(), p.coded.begin(), p.coded.end());
  return b;
}

std::vector<uint8_t> DictionaryPart(const std::vector<DomainPhrase>& sorted, size_t* dropped) {
  if (dropped != nullptr) *dropped = 0;
  std::vector<std::vector<uint8_t>> blocks(kCharacters);
  std::vector<int> counts(kCharacters, 0);
  for (const DomainPhrase& p : sorted) {
    if (p.text.empty() || p.text.size() > 24) continue;
    const int k = Gb2312Index(p.text[0]);
    if (k < 0) continue;
    std::vector<uint8_t>& e = blocks[k];
    const size_t n = p.text.size();
    if (2 + e.size() + n * 4 + 8 > kMaxDictionaryBlockBytes) {
      if (dropped != nullptr) ++*dropped;
      continue;
    }
    e.push_back(static_cast<uint8_t>(n));
    e.push_back(0);
    e.push_back(0);
    e.push_back(0);
    for (size_t i = 1; i < n; ++i) Put16(e, p.text[i]);
    uint8_t tag[6] = {};
    std::memcpy(tag, p.tag.data(), std::min<size_t>(p.tag.size(), 4));
    e.insert(e.end(), tag, tag + 6);  // the name in the tag field and the 4 bytes after it
    for (size_t i = 0; i < n; ++i) Put16(e, i < p.pinyin.size() ? p.pinyin[i] : 0xFFFF);
    ++counts[k];
  }
  std::vector<uint8_t> b(kDictionaryBase, 0);
  uint32_t at = 0;
  for (int k = 0; k < kCharacters; ++k) {
    Set32(b, 4 * static_cast<size_t>(k), at);
    if (counts[k] == 0) continue;
    std::vector<uint8_t> block;
    Put16(block, static_cast<uint32_t>(counts[k]));
    block.insert(block.end(), blocks[k].begin(), blocks[k].end());
    b.insert(b.end(), block.begin(), block.end());
    at += static_cast<uint32_t>(block.size());
  }
  Set32(b, 4 * kCharacters, 0);  // M
  return b;
}

std::vector<uint8_t> DomainLibrary(const std::vector<DomainPhrase>& phrases, const DomainHeader& header,
                                   size_t* dropped) {
  const std::vector<DomainPhrase> sorted = SortPhrases(phrases);
  const std::vector<uint8_t> dictionary = DictionaryPart(sorted, dropped);
  const std::vector<uint8_t> speech = SpeechPart(sorted, header);
  std::vector<uint8_t> b(20, 0);
  Set32(b, 0, 20);
  Set32(b, 4, static_cast<uint32_t>(dictionary.size()));
  Set32(b, 8, static_cast<uint32_t>(20 + dictionary.size()));
  Set32(b, 12, static_cast<uint32_t>(speech.size()));
  b.insert(b.end(), dictionary.begin(), dictionary.end());
  b.insert(b.end(), speech.begin(), speech.end());
  return b;
}

}  // namespace kvo::domain
