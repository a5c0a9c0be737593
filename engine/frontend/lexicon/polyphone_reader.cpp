#include "frontend/lexicon/polyphone_reader.h"

namespace {

constexpr uint32_t kHeaderBytes = kPolyphoneHeaderBytes;
constexpr uint32_t kSingleBytes = kPolyphoneSingleBytes;
constexpr uint32_t kPairBytes = kPolyphonePairBytes;

}  // namespace

bool PolyphoneReader::Open(const SectionReader& payload) {
  open_ = false;
  single_count_ = pair_count_ = 0;
  uint32_t singles = 0;
  uint32_t pairs = 0;
  if (!payload.present() || !payload.ReadU32(0, &singles) || !payload.ReadU32(4, &pairs)) {
    return false;
  }
  const uint64_t tables = kHeaderBytes + uint64_t{kSingleBytes} * singles + uint64_t{kPairBytes} * pairs;
  if (tables > payload.size) return false;
  payload_ = payload;
  single_count_ = singles;
  pair_count_ = pairs;
  open_ = true;
  return true;
}

PolyphoneStatus PolyphoneReader::ReadSingle(uint32_t index, PolyphoneEntry* entry) const {
  const uint32_t at = kHeaderBytes + kSingleBytes * index;
  entry->pair = false;
  entry->chars[1] = 0;
  if (!payload_.ReadU16(at, &entry->chars[0]) || !payload_.ReadU16(at + 2, &entry->rule_count) ||
      !payload_.ReadU32(at + 4, &entry->rule_offset)) {
    return PolyphoneStatus::kCorrupt;
  }
  return PolyphoneStatus::kFound;
}

PolyphoneStatus PolyphoneReader::ReadPair(uint32_t index, PolyphoneEntry* entry) const {
  const uint32_t at = kHeaderBytes + kSingleBytes * single_count_ + kPairBytes * index;
  entry->pair = true;
  if (!payload_.ReadU16(at, &entry->chars[0]) || !payload_.ReadU16(at + 2, &entry->chars[1]) ||
      !payload_.ReadU16(at + 4, &entry->rule_count) || !payload_.ReadU32(at + 8, &entry->rule_offset)) {
    return PolyphoneStatus::kCorrupt;
  }
  return PolyphoneStatus::kFound;
}

PolyphoneStatus PolyphoneReader::FindSingle(uint16_t ch, PolyphoneEntry* entry) const {
  if (!open_) return PolyphoneStatus::kNotFound;
  uint32_t lo = 0;
  uint32_t hi = single_count_;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (ReadSingle(mid, entry) != PolyphoneStatus::kFound) return PolyphoneStatus::kCorrupt;
    if (entry->chars[0] == ch) return PolyphoneStatus::kFound;
    if (entry->chars[0] < ch) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return PolyphoneStatus::kNotFound;
}

PolyphoneStatus PolyphoneReader::FindPair(uint16_t first, uint16_t second, PolyphoneEntry* entry) const {
  if (!open_) return PolyphoneStatus::kNotFound;
  const uint32_t key = (uint32_t{first} << 16) | second;
  uint32_t lo = 0;
  uint32_t hi = pair_count_;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (ReadPair(mid, entry) != PolyphoneStatus::kFound) return PolyphoneStatus::kCorrupt;
    const uint32_t at = (uint32_t{entry->chars[0]} << 16) | entry->chars[1];
    if (at == key) return PolyphoneStatus::kFound;
    if (at < key) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return PolyphoneStatus::kNotFound;
}

PolyphoneStatus PolyphoneReader::ReadRule(uint32_t offset, bool pair, PolyphoneRule* rule) const {
  if (!open_) return PolyphoneStatus::kNotFound;
  const uint32_t codes = pair ? 4 : 2;
  uint8_t size = 0;
  rule->pinyin[1] = kLexiconNoPinyin;
  if (!payload_.ReadU16(offset, &rule->pinyin[0]) || (pair && !payload_.ReadU16(offset + 2, &rule->pinyin[1])) ||
      !payload_.ReadU8(offset + codes, &size) || !payload_.ReadU8(offset + codes + 1, &rule->limit_count)) {
    return PolyphoneStatus::kCorrupt;
  }
  if (size < codes + 2 || size > payload_.size - offset) return PolyphoneStatus::kCorrupt;
  rule->limits_offset = offset + codes + 2;
  rule->end_offset = offset + size;
  return PolyphoneStatus::kFound;
}

PolyphoneStatus PolyphoneReader::ReadLimit(const PolyphoneRule& rule, uint32_t offset, PolyphoneLimit* limit) const {
  if (!open_) return PolyphoneStatus::kNotFound;
  if (offset < rule.limits_offset || offset >= rule.end_offset) return PolyphoneStatus::kCorrupt;
  const uint32_t room = rule.end_offset - offset;
  uint8_t b[7] = {};
  const uint32_t fixed = room < 7 ? room : 7;
  if (!payload_.Read(offset, b, fixed)) return PolyphoneStatus::kCorrupt;

  *limit = PolyphoneLimit{};
  limit->type = b[0];
  limit->known = true;
  switch (b[0]) {
    case kPolyphoneLimitPartOfSpeech: {
      if (room < 4) return PolyphoneStatus::kCorrupt;
      limit->range_begin = static_cast<int8_t>(b[1]);
      limit->range_end = static_cast<int8_t>(b[2]);
      limit->negated = (b[3] & 0x80) != 0;
      limit->count = b[3] & 0x7F;
      if (room - 4 < 2u * limit->count) return PolyphoneStatus::kCorrupt;
      for (int i = 0; i < limit->count; ++i) {
        if (!payload_.ReadU16(offset + 4 + 2 * static_cast<uint32_t>(i), &limit->tags[i])) {
          return PolyphoneStatus::kCorrupt;
        }
      }
      limit->end_offset = offset + 4 + 2u * limit->count;
      return PolyphoneStatus::kFound;
    }
    case kPolyphoneLimitWords: {
      if (room < 6) return PolyphoneStatus::kCorrupt;
      limit->range_begin = static_cast<int8_t>(b[1]);
      limit->range_end = static_cast<int8_t>(b[2]);
      limit->negated = (b[3] & 0x80) != 0;
      limit->count = b[3] & 0x7F;
      const uint32_t bytes = static_cast<uint32_t>(b[4]) | (static_cast<uint32_t>(b[5]) << 8);
      if (room - 6 < bytes) return PolyphoneStatus::kCorrupt;
      limit->patterns_offset = offset + 6;
      limit->patterns_end = offset + 6 + bytes;
      limit->end_offset = limit->patterns_end;
      return PolyphoneStatus::kFound;
    }
    case kPolyphoneLimitCharacterNumber:
      if (room < 4) return PolyphoneStatus::kCorrupt;
      limit->position = static_cast<int8_t>(b[1]);
      limit->length = b[2] & 0x7F;
      limit->fewer_than = (b[2] & 0x80) != 0;
      limit->end_offset = offset + 4;
      return PolyphoneStatus::kFound;
    case kPolyphoneLimitCharacterAttribute:
      if (room < 7) return PolyphoneStatus::kCorrupt;
      limit->position = static_cast<int8_t>(b[1]);
      limit->char_position = static_cast<int8_t>(b[2]);
      limit->mask = static_cast<uint32_t>(b[3]) | (static_cast<uint32_t>(b[4]) << 8) |
                    (static_cast<uint32_t>(b[5]) << 16) | (static_cast<uint32_t>(b[6] & 0x7F) << 24);
      limit->negated = (b[6] & 0x80) != 0;
      limit->end_offset = offset + 7;
      return PolyphoneStatus::kFound;
    default:
      // Its size is unknown: the rule cannot apply, the next rule is
      // reached through the rule size.
      limit->known = false;
      limit->end_offset = 0;
      return PolyphoneStatus::kFound;
  }
}

PolyphoneStatus PolyphoneReader::ReadPattern(const PolyphoneLimit& limit, int index, PolyphonePattern* pattern) const {
  if (!open_) return PolyphoneStatus::kNotFound;
  if (limit.type != kPolyphoneLimitWords || index < 0 || index >= limit.count) return PolyphoneStatus::kNotFound;
  uint32_t pos = limit.patterns_offset;
  for (int i = 0;; ++i) {
    uint16_t raw_length = 0;
    if (limit.patterns_end - pos < 2 || !payload_.ReadU16(pos, &raw_length)) return PolyphoneStatus::kCorrupt;
    pos += 2;
    const uint32_t bytes = 2u * raw_length;
    if (limit.patterns_end - pos < bytes) return PolyphoneStatus::kCorrupt;
    if (i < index) {
      pos += bytes;
      continue;
    }
    if (raw_length > kPolyphoneMaxPatternChars + 2) return PolyphoneStatus::kCorrupt;
    uint16_t chars[kPolyphoneMaxPatternChars + 2];
    for (int c = 0; c < raw_length; ++c) {
      if (!payload_.ReadU16(pos + 2 * static_cast<uint32_t>(c), &chars[c])) return PolyphoneStatus::kCorrupt;
    }
    int begin = 0;
    int end = raw_length;
    pattern->any_before = end > begin && chars[begin] == kPolyphoneWildcard;
    if (pattern->any_before) ++begin;
    pattern->any_after = end > begin && chars[end - 1] == kPolyphoneWildcard;
    if (pattern->any_after) --end;
    pattern->length = end - begin;
    if (pattern->length < 1 || pattern->length > kPolyphoneMaxPatternChars) return PolyphoneStatus::kCorrupt;
    for (int c = 0; c < pattern->length; ++c) pattern->chars[c] = chars[begin + c];
    return PolyphoneStatus::kFound;
  }
}

bool PolyphonePatternMatches(const PolyphonePattern& pattern, const uint16_t* word, int length) {
  const int n = pattern.length;
  if (word == nullptr || n < 1 || n > length) return false;
  const auto equal_at = [&](int start) {
    for (int i = 0; i < n; ++i) {
      if (word[start + i] != pattern.chars[i]) return false;
    }
    return true;
  };
  if (!pattern.any_before && !pattern.any_after) return n == length && equal_at(0);
  if (!pattern.any_before) return equal_at(0);
  if (!pattern.any_after) return equal_at(length - n);
  for (int start = 0; start + n <= length; ++start) {
    if (equal_at(start)) return true;
  }
  return false;
}
