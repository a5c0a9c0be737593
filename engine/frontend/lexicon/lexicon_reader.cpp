#include "frontend/lexicon/lexicon_reader.h"

#include <cstring>

namespace {

// Bytes of an entry before its readings: header, the characters after the
// first, and two spare bytes for words of more than three characters.
uint32_t EntryPrefixBytes(int length) { return 2 + 2 * static_cast<uint32_t>(length - 1) + (length > 3 ? 2 : 0); }

}  // namespace

int LexiconHanziIndex(uint16_t code) {
  const int lead = code & 0xFF;
  const int trail = code >> 8;
  if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return -1;
  return (lead - 0xB0) * 94 + (trail - 0xA1);
}

uint32_t LexiconFrequency(uint8_t code) {
  const uint32_t f = code;
  if (f < 50) return f;
  if (f < 75) return 2 * f - 49;
  if (f < 100) return 4 * f - 198;
  if (f < 130) return 10 * f - 795;
  if (f < 140) return 50 * f - 5975;
  if (f < 180) return 100 * f - 12950;
  if (f < 205) return 200 * f - 30900;
  if (f < 255) return 1000 * f - 194500;
  return 60000;
}

LexiconEntryHeader DecodeLexiconEntryHeader(uint16_t header) {
  return LexiconEntryHeader{((header >> 4) & 0x0F) + 1, header >> 8};
}

bool LexiconReader::Open(const SectionReader& payload) {
  open_ = payload.present() && payload.size >= kLexiconIndexBytes;
  payload_ = open_ ? payload : SectionReader{};
  return open_;
}

LexiconStatus LexiconReader::LocateBlock(uint16_t first, Block* block) const {
  const int k = LexiconHanziIndex(first);
  if (!open_ || k < 0) return LexiconStatus::kNotFound;
  uint32_t begin = 0;
  uint32_t end = payload_.size;
  if (!payload_.ReadU32(static_cast<uint32_t>(k) * 4, &begin)) return LexiconStatus::kCorrupt;
  if (static_cast<uint32_t>(k) + 1 < kLexiconIndexEntries &&
      !payload_.ReadU32(static_cast<uint32_t>(k + 1) * 4, &end)) {
    return LexiconStatus::kCorrupt;
  }
  if (begin < kLexiconIndexBytes || begin > end || end > payload_.size) return LexiconStatus::kCorrupt;
  if (begin == end) return LexiconStatus::kNotFound;
  if (end - begin < 2) return LexiconStatus::kCorrupt;
  if (!payload_.ReadU16(begin, &block->default_code)) return LexiconStatus::kCorrupt;
  block->begin = begin + 2;
  block->end = end;
  return LexiconStatus::kFound;
}

LexiconStatus LexiconReader::DefaultPinyin(uint16_t first, uint16_t* code) const {
  Block block;
  const LexiconStatus status = LocateBlock(first, &block);
  if (status == LexiconStatus::kFound) *code = block.default_code;
  return status;
}

LexiconStatus LexiconReader::DecodeReadings(const Block& block, uint32_t entry_offset, const LexiconEntryHeader& header,
                                            LexiconEntry* entry) const {
  const int length = header.length;
  uint32_t pos = entry_offset + EntryPrefixBytes(length);
  const uint32_t end = entry_offset + static_cast<uint32_t>(header.size);
  entry->length = length;
  entry->reading_count = 0;
  entry->frequency_sum = 0;
  while (pos < end) {
    uint8_t head[2];
    if (end - pos < 2 || !payload_.Read(pos, head, 2)) return LexiconStatus::kCorrupt;
    pos += 2;
    const bool own_pinyin = (head[0] & 0x80) != 0;
    const uint32_t codes_bytes = own_pinyin ? 2 * static_cast<uint32_t>(length) : 0;
    if (end - pos < codes_bytes) return LexiconStatus::kCorrupt;
    if (entry->reading_count < kLexiconMaxReadings) {
      LexiconReading& r = entry->readings[entry->reading_count];
      r.tag = head[0] & 0x7F;
      r.frequency_code = head[1];
      r.frequency = LexiconFrequency(head[1]);
      for (int i = 0; i < kLexiconMaxWordLength; ++i) r.pinyin[i] = kLexiconNoPinyin;
      if (own_pinyin) {
        for (int i = 0; i < length; ++i) {
          if (!payload_.ReadU16(pos + 2 * static_cast<uint32_t>(i), &r.pinyin[i])) {
            return LexiconStatus::kCorrupt;
          }
        }
      } else {
        // The short form names only the first character's reading.
        r.pinyin[0] = block.default_code;
      }
      entry->frequency_sum += r.frequency;
      ++entry->reading_count;
    }
    pos += codes_bytes;
  }
  return entry->reading_count > 0 ? LexiconStatus::kFound : LexiconStatus::kCorrupt;
}

namespace {

// A block's bytes a window at a time: the scan reads every entry's header
// and characters, and one library read per 16-bit value made the lexicon
// most of the front end's time.
class BlockWindow {
 public:
  BlockWindow(const SectionReader& payload, uint32_t block_end) : payload_(payload), end_(block_end) {}

  // The 16-bit value at pos, which lies inside the block; false when it
  // cannot be read.
  bool ReadU16(uint32_t pos, uint16_t* value) {
    if (pos < begin_ || pos - begin_ + 2 > filled_) {
      uint32_t n = pos < end_ ? end_ - pos : 0;
      if (n > kWindowBytes) n = kWindowBytes;
      // A window the file cannot give (cut short under an open session)
      // falls back to the value alone, as if there were no window.
      if (n < 2 || !payload_.Read(pos, bytes_, n)) {
        filled_ = 0;
        return payload_.ReadU16(pos, value);
      }
      begin_ = pos;
      filled_ = n;
    }
    const uint8_t* b = bytes_ + (pos - begin_);
    *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }

 private:
  static constexpr uint32_t kWindowBytes = 512;
  const SectionReader& payload_;
  uint32_t end_;
  uint32_t begin_ = 0;
  uint32_t filled_ = 0;
  uint8_t bytes_[kWindowBytes];
};

// Compares the stored characters after the first with chars[1 … length):
// negative, zero or positive as the entry sorts before, equal or after.
bool CompareStored(BlockWindow& window, uint32_t entry_offset, const uint16_t* chars, int length, int* order) {
  for (int i = 1; i < length; ++i) {
    uint16_t stored = 0;
    if (!window.ReadU16(entry_offset + 2 * static_cast<uint32_t>(i), &stored)) return false;
    if (stored != chars[i]) {
      *order = stored < chars[i] ? -1 : 1;
      return true;
    }
  }
  *order = 0;
  return true;
}

}  // namespace

LexiconStatus LexiconReader::FindPrefixes(const uint16_t* chars, int available, LexiconEntry* entries,
                                          bool* found) const {
  for (int i = 0; i < kLexiconMaxWordLength; ++i) found[i] = false;
  if (chars == nullptr || available <= 0) return LexiconStatus::kNotFound;
  Block block;
  const LexiconStatus located = LocateBlock(chars[0], &block);
  if (located != LexiconStatus::kFound) return located;

  const int longest = available < kLexiconMaxWordLength ? available : kLexiconMaxWordLength;
  bool settled[kLexiconMaxWordLength] = {};  // found, or passed in sort order
  bool any = false;
  BlockWindow window(payload_, block.end);
  uint32_t pos = block.begin;
  while (pos < block.end) {
    uint16_t raw = 0;
    if (block.end - pos < 2 || !window.ReadU16(pos, &raw)) return LexiconStatus::kCorrupt;
    const LexiconEntryHeader header = DecodeLexiconEntryHeader(raw);
    const uint32_t size = static_cast<uint32_t>(header.size);
    if (size <= EntryPrefixBytes(header.length) || size > block.end - pos) return LexiconStatus::kCorrupt;
    if (header.length > longest) break;  // entries are sorted by length
    const int slot = header.length - 1;
    if (!settled[slot]) {
      int order = 0;
      if (!CompareStored(window, pos, chars, header.length, &order)) return LexiconStatus::kCorrupt;
      if (order == 0) {
        const LexiconStatus status = DecodeReadings(block, pos, header, &entries[slot]);
        if (status != LexiconStatus::kFound) return status;
        found[slot] = true;
        any = true;
      }
      if (order >= 0) settled[slot] = true;
    }
    pos += size;
  }
  return any ? LexiconStatus::kFound : LexiconStatus::kNotFound;
}

LexiconStatus LexiconReader::Find(const uint16_t* chars, int length, LexiconEntry* entry) const {
  if (chars == nullptr || length < 1 || length > kLexiconMaxWordLength) return LexiconStatus::kNotFound;
  Block block;
  const LexiconStatus located = LocateBlock(chars[0], &block);
  if (located != LexiconStatus::kFound) return located;
  BlockWindow window(payload_, block.end);
  uint32_t pos = block.begin;
  while (pos < block.end) {
    uint16_t raw = 0;
    if (block.end - pos < 2 || !window.ReadU16(pos, &raw)) return LexiconStatus::kCorrupt;
    const LexiconEntryHeader header = DecodeLexiconEntryHeader(raw);
    const uint32_t size = static_cast<uint32_t>(header.size);
    if (size <= EntryPrefixBytes(header.length) || size > block.end - pos) return LexiconStatus::kCorrupt;
    if (header.length > length) break;
    if (header.length == length) {
      int order = 0;
      if (!CompareStored(window, pos, chars, length, &order)) return LexiconStatus::kCorrupt;
      if (order == 0) return DecodeReadings(block, pos, header, entry);
      if (order > 0) break;
    }
    pos += size;
  }
  return LexiconStatus::kNotFound;
}
