#include "frontend/lexicon/domain_dictionary.h"

#include "frontend/analysis/tag_tables.h"

namespace {

uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Entry of n characters: n, 3 spare bytes, the n - 1 characters after the
// first, a 6-byte tag field (the name in its first 4 bytes), n unit codes.
uint32_t EntryBytes(int n) { return static_cast<uint32_t>(n) * 4 + 8; }
constexpr uint32_t kCharsAt = 4;
uint32_t TagAt(int n) { return kCharsAt + 2 * static_cast<uint32_t>(n - 1); }
uint32_t PinyinAt(int n) { return TagAt(n) + 6; }

}  // namespace

bool DomainDictionary::Open(const SectionReader& part, uint8_t* block) {
  open_ = block != nullptr && part.present() && part.size >= kDomainIndexBytes;
  part_ = open_ ? part : SectionReader{};
  block_ = block;
  blockBytes_ = 0;
  loaded_ = -1;
  return open_;
}

bool DomainDictionary::LoadBlock(uint16_t first) {
  const int k = LexiconHanziIndex(first);
  if (!open_ || k < 0) return false;
  if (k == loaded_) return blockBytes_ >= 2;
  loaded_ = k;
  blockBytes_ = 0;
  uint32_t begin = 0, end = 0, m = 0;
  if (!part_.ReadU32(static_cast<uint32_t>(k) * 4, &begin) || !part_.ReadU32(kLexiconIndexEntries * 4, &m))
    return false;
  // Blocks are counted from M * 4 + 54148; the last runs to the part's end.
  const uint64_t base = uint64_t{m} * 4 + kDomainBlockBase;
  if (base > part_.size) return false;
  if (static_cast<uint32_t>(k) + 1 < kLexiconIndexEntries) {
    if (!part_.ReadU32(static_cast<uint32_t>(k + 1) * 4, &end)) return false;
  } else {
    end = static_cast<uint32_t>(part_.size - base);
  }
  // A block out of order, outside the part or over the buffer is left out.
  if (begin > end || base + end > part_.size || end - begin > kDomainBlockBytes || end - begin < 2) return false;
  if (!part_.Read(static_cast<uint32_t>(base + begin), block_, end - begin)) return false;
  blockBytes_ = end - begin;
  return true;
}

bool DomainDictionary::EntryAt(uint32_t offset, int* length) const {
  if (offset >= blockBytes_) return false;
  const int n = block_[offset];
  if (n < 1 || EntryBytes(n) > blockBytes_ - offset) return false;
  *length = n;
  return true;
}

bool DomainDictionary::FindPrefixes(const uint16_t* chars, int available, bool* found) {
  for (int i = 0; i < kLexiconMaxWordLength; ++i) found[i] = false;
  if (available <= 0 || !LoadBlock(chars[0])) return false;
  const int count = Load16(block_);
  bool any = false;
  uint32_t at = 2;
  int n = 0;
  for (int e = 0; e < count && EntryAt(at, &n); ++e, at += EntryBytes(n)) {
    if (n > available || n > kLexiconMaxWordLength) continue;
    bool same = true;
    for (int c = 1; c < n && same; ++c) same = Load16(block_ + at + kCharsAt + 2 * (c - 1)) == chars[c];
    if (same) found[n - 1] = any = true;
  }
  return any;
}

bool DomainDictionary::Find(const uint16_t* chars, int length, LexiconEntry* entry) {
  if (length < 1 || length > kLexiconMaxWordLength || !LoadBlock(chars[0])) return false;
  const int count = Load16(block_);
  uint32_t at = 2;
  int n = 0;
  for (int e = 0; e < count && EntryAt(at, &n); ++e, at += EntryBytes(n)) {
    if (n != length) continue;
    bool same = true;
    for (int c = 1; c < n && same; ++c) same = Load16(block_ + at + kCharsAt + 2 * (c - 1)) == chars[c];
    if (!same) continue;
    const uint8_t* tag = block_ + at + TagAt(n);
    int nameBytes = 0;
    while (nameBytes < 4 && tag[nameBytes] != 0) ++nameBytes;
    const int tagNumber = kvo::frontend::TagNumberOfName(reinterpret_cast<const char*>(tag), nameBytes);
    entry->length = n;
    entry->reading_count = 1;
    entry->frequency_sum = kDomainWordFrequency;
    LexiconReading& r = entry->readings[0];
    r.tag = static_cast<uint8_t>(tagNumber < 0 || tagNumber > 255 ? 255 : tagNumber);
    r.frequency_code = 0;
    r.frequency = kDomainWordFrequency;
    for (int c = 0; c < kLexiconMaxWordLength; ++c)
      r.pinyin[c] = c < n ? Load16(block_ + at + PinyinAt(n) + 2 * c) : kLexiconNoPinyin;
    return true;
  }
  return false;
}
