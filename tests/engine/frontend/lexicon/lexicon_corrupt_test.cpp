// Damaged lexicon payloads: every lookup ends with kCorrupt or a plain
// answer, never a read outside the payload or an endless walk.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frontend/lexicon/lexicon_reader.h"
#include "test_payloads.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, uint32_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void PutU32(std::vector<uint8_t>& b, uint32_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t IndexSlot(const char* ch) { return static_cast<uint32_t>(LexiconHanziIndex(Gbk(ch)[0])) * 4; }

// Looks the texts up in every way the reader offers and returns whether
// any lookup reported corruption.
bool AnyCorrupt(std::vector<uint8_t> bytes) {
  const SectionReader memory = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
  LexiconReader reader;
  if (!reader.Open(memory)) return true;
  bool corrupt = false;
  for (const char* text : {"行长说", "行为", "一模一样", "一个", "长江大桥"}) {
    const std::vector<uint16_t> chars = Gbk(text);
    LexiconEntry entries[kLexiconMaxWordLength];
    bool found[kLexiconMaxWordLength];
    corrupt |=
        reader.FindPrefixes(chars.data(), static_cast<int>(chars.size()), entries, found) == LexiconStatus::kCorrupt;
    for (int n = 1; n <= static_cast<int>(chars.size()); ++n) {
      LexiconEntry entry;
      corrupt |= reader.Find(chars.data(), n, &entry) == LexiconStatus::kCorrupt;
    }
    uint16_t code = 0;
    corrupt |= reader.DefaultPinyin(chars[0], &code) == LexiconStatus::kCorrupt;
  }
  return corrupt;
}

// What the reader promises for an entry it reports found: the length asked
// for, 1 ... 16 readings whose frequencies are the ones their codes stand
// for and add up to the sum, and no unit code past the word's characters.
testing::AssertionResult EntryWellFormed(const LexiconEntry& entry, int length) {
  if (entry.length != length) return testing::AssertionFailure() << "length " << entry.length << " for " << length;
  if (entry.reading_count < 1 || entry.reading_count > kLexiconMaxReadings) {
    return testing::AssertionFailure() << entry.reading_count << " readings";
  }
  uint32_t sum = 0;
  for (int r = 0; r < entry.reading_count; ++r) {
    const LexiconReading& reading = entry.readings[r];
    if (reading.frequency != LexiconFrequency(reading.frequency_code)) {
      return testing::AssertionFailure() << "frequency " << reading.frequency << " for code "
                                         << int{reading.frequency_code};
    }
    sum += reading.frequency;
    for (int i = length; i < kLexiconMaxWordLength; ++i) {
      if (reading.pinyin[i] != kLexiconNoPinyin) {
        return testing::AssertionFailure()
               << "unit code " << reading.pinyin[i] << " at character " << i << " of a word of " << length;
      }
    }
  }
  if (sum != entry.frequency_sum) return testing::AssertionFailure() << "frequency sum " << entry.frequency_sum;
  return testing::AssertionSuccess();
}

bool SameEntry(const LexiconEntry& a, const LexiconEntry& b) {
  if (a.length != b.length || a.reading_count != b.reading_count || a.frequency_sum != b.frequency_sum) return false;
  for (int r = 0; r < a.reading_count; ++r) {
    const LexiconReading& x = a.readings[r];
    const LexiconReading& y = b.readings[r];
    if (x.tag != y.tag || x.frequency_code != y.frequency_code ||
        std::memcmp(x.pinyin, y.pinyin, sizeof x.pinyin) != 0) {
      return false;
    }
  }
  return true;
}

// Looks the texts up in every way the reader offers: each lookup is kCorrupt
// or well-formed, and when the prefix walk, which reads every entry a single
// lookup reads, reports no corruption, each single lookup agrees with it.
// Counts the entries found in *found.
testing::AssertionResult LookupsWellFormed(std::vector<uint8_t> bytes, int* found) {
  const SectionReader memory = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
  LexiconReader reader;
  if (!reader.Open(memory)) return testing::AssertionFailure() << "does not open";
  for (const char* text : {"行长说", "行为", "一模一样", "一个", "长江大桥"}) {
    const std::vector<uint16_t> chars = Gbk(text);
    const int available = static_cast<int>(chars.size());
    LexiconEntry prefixes[kLexiconMaxWordLength];
    bool has[kLexiconMaxWordLength];
    const LexiconStatus walk = reader.FindPrefixes(chars.data(), available, prefixes, has);
    bool any = false;
    for (int i = 0; i < kLexiconMaxWordLength; ++i) {
      if (!has[i]) continue;
      any = true;
      if (i >= available) return testing::AssertionFailure() << text << ": a word longer than the text";
      testing::AssertionResult ok = EntryWellFormed(prefixes[i], i + 1);
      if (!ok) return ok << " (" << text << ", prefix " << i + 1 << ")";
    }
    if (walk != LexiconStatus::kCorrupt && any != (walk == LexiconStatus::kFound)) {
      return testing::AssertionFailure() << text << ": prefix status disagrees with its entries";
    }
    for (int n = 1; n <= available; ++n) {
      LexiconEntry entry;
      const LexiconStatus status = reader.Find(chars.data(), n, &entry);
      if (status == LexiconStatus::kFound) {
        ++*found;
        testing::AssertionResult ok = EntryWellFormed(entry, n);
        if (!ok) return ok << " (" << text << ", length " << n << ")";
      }
      if (walk == LexiconStatus::kCorrupt) continue;
      const LexiconStatus expected = has[n - 1] ? LexiconStatus::kFound : LexiconStatus::kNotFound;
      if (status != expected || (has[n - 1] && !SameEntry(entry, prefixes[n - 1]))) {
        return testing::AssertionFailure() << text << ", length " << n << ": the lookup disagrees with the prefix walk";
      }
    }
    // The block is located the same way for every lookup.
    uint16_t code = 0;
    const LexiconStatus block = reader.DefaultPinyin(chars[0], &code);
    if (block != LexiconStatus::kFound && walk != block) {
      return testing::AssertionFailure() << text << ": the block is missing to one lookup only";
    }
  }
  return testing::AssertionSuccess();
}

// A source that serves the payload up to `cut` and fails every read past
// it, like a file cut short under an open session. With values_only it also
// refuses reads of more than four bytes, so that the reader takes every
// value on its own.
struct CutSource {
  const std::vector<uint8_t>* bytes;
  uint32_t cut;
  bool values_only;
};

bool ReadCut(void* user, uint32_t offset, void* dst, uint32_t n) {
  const CutSource* source = static_cast<const CutSource*>(user);
  if ((source->values_only && n > 4) || offset > source->cut || n > source->cut - offset) return false;
  std::memcpy(dst, source->bytes->data() + offset, n);
  return true;
}

// Every lookup's status and what it found, as text.
std::string Answers(const std::vector<uint8_t>& bytes, uint32_t cut, bool values_only) {
  CutSource source{&bytes, cut, values_only};
  SectionReader payload;
  payload.size = static_cast<uint32_t>(bytes.size());
  payload.read = ReadCut;
  payload.user = &source;
  LexiconReader reader;
  if (!reader.Open(payload)) return "not open";
  std::string out;
  for (const char* text : {"行长说", "行为", "一模一样", "长江大桥"}) {
    const std::vector<uint16_t> chars = Gbk(text);
    LexiconEntry entries[kLexiconMaxWordLength];
    bool found[kLexiconMaxWordLength];
    out += std::to_string(
        static_cast<int>(reader.FindPrefixes(chars.data(), static_cast<int>(chars.size()), entries, found)));
    for (size_t n = 0; n < chars.size(); ++n) out += found[n] ? "+" + std::to_string(entries[n].reading_count) : "-";
    for (int n = 1; n <= static_cast<int>(chars.size()); ++n) {
      LexiconEntry entry;
      out += " " + std::to_string(static_cast<int>(reader.Find(chars.data(), n, &entry)));
    }
    out += "; ";
  }
  return out;
}

class LexiconCorrupt : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = LoadFixture("lexicon.bin");
    block_ = U32(good_, IndexSlot("行"));
    block_end_ = U32(good_, IndexSlot("行") + 4);
    entry_ = block_ + 2;  // first entry: the character 行 itself
  }
  std::vector<uint8_t> good_;
  uint32_t block_ = 0;
  uint32_t block_end_ = 0;
  uint32_t entry_ = 0;
};

TEST_F(LexiconCorrupt, IntactPayloadIsNotCorrupt) {
  EXPECT_FALSE(AnyCorrupt(good_));
  int found = 0;
  EXPECT_TRUE(LookupsWellFormed(good_, &found));
  EXPECT_GT(found, 5);
}

TEST_F(LexiconCorrupt, DamagedIndexOrEntriesAreReported) {
  struct Case {
    const char* what;
    void (*damage)(std::vector<uint8_t>& b, uint32_t slot, uint32_t block, uint32_t entry);
  };
  const Case cases[] = {
      {"block offset past the end", [](std::vector<uint8_t>& b, uint32_t slot, uint32_t,
                                       uint32_t) { PutU32(b, slot, static_cast<uint32_t>(b.size()) + 100); }},
      {"block offset 0xFFFFFFFF",
       [](std::vector<uint8_t>& b, uint32_t slot, uint32_t, uint32_t) { PutU32(b, slot, 0xFFFFFFFFu); }},
      {"block offset inside the index",
       [](std::vector<uint8_t>& b, uint32_t slot, uint32_t, uint32_t) { PutU32(b, slot, 16); }},
      {"next block starts before this one",
       [](std::vector<uint8_t>& b, uint32_t slot, uint32_t block, uint32_t) { PutU32(b, slot + 4, block - 2); }},
      {"block of one byte",
       [](std::vector<uint8_t>& b, uint32_t slot, uint32_t block, uint32_t) { PutU32(b, slot + 4, block + 1); }},
      {"entry size 0", [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) { b[entry + 1] = 0; }},
      {"entry size 1", [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) { b[entry + 1] = 1; }},
      {"entry without readings", [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) { b[entry + 1] = 2; }},
      {"entry beyond its block",
       [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) { b[entry + 1] = 255; }},
      {"reading cut by the entry end",
       [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) {
         b[entry + 1] = 5;  // header, one two-byte reading, one stray byte
       }},
      {"pinyin codes cut by the entry end",
       [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) {
         b[entry + 1] = 4;  // header and a reading that says its codes follow
         b[entry + 2] |= 0x80;
       }},
      {"word longer than its entry",
       [](std::vector<uint8_t>& b, uint32_t, uint32_t, uint32_t entry) {
         b[entry] = 0xF0;  // 16 characters in a 12-byte entry
       }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good_;
    c.damage(bytes, IndexSlot("行"), block_, entry_);
    EXPECT_TRUE(AnyCorrupt(bytes)) << c.what;
  }
}

TEST_F(LexiconCorrupt, TruncatedPayloads) {
  LexiconReader reader;
  std::vector<uint8_t> index_only(good_.begin(), good_.begin() + kLexiconIndexBytes - 1);
  const SectionReader memory = MemorySection(index_only.data(), static_cast<uint32_t>(index_only.size()));
  EXPECT_FALSE(reader.Open(memory));
  LexiconEntry entry;
  const std::vector<uint16_t> chars = Gbk("行为");
  EXPECT_EQ(reader.Find(chars.data(), 2, &entry), LexiconStatus::kNotFound);  // not open

  // Cut inside the block of 行: its end now lies past the payload.
  EXPECT_TRUE(AnyCorrupt(std::vector<uint8_t>(good_.begin(), good_.begin() + block_ + 5)));
}

// Every byte of a block and of its index slots, set to values that stress
// sizes and flags: every lookup must still end in kCorrupt or a well-formed
// answer (the reads themselves are checked by ASan).
TEST_F(LexiconCorrupt, EveryByteOfABlockDamagedInTurn) {
  const uint32_t slot = IndexSlot("行");
  std::vector<uint32_t> positions;
  for (uint32_t p = slot; p < slot + 8; ++p) positions.push_back(p);
  for (uint32_t p = block_; p < block_end_; ++p) positions.push_back(p);
  int found = 0;
  for (uint32_t p : positions) {
    for (uint8_t value : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xF0, 0xFF}) {
      std::vector<uint8_t> bytes = good_;
      bytes[p] = value;
      ASSERT_TRUE(LookupsWellFormed(bytes, &found)) << "byte " << p << " = " << int{value};
    }
  }
  EXPECT_GT(found, 0) << "no damaged block answered any lookup";
}

// A block whose bytes stop part-way (the file cut short after opening):
// the reader answers every lookup as it does reading value by value.
TEST_F(LexiconCorrupt, ACutBlockAnswersAsReadValueByValue) {
  for (uint32_t cut = block_; cut <= block_end_; ++cut)
    EXPECT_EQ(Answers(good_, cut, false), Answers(good_, cut, true)) << "cut at " << cut;
  EXPECT_NE(Answers(good_, block_end_, false).find('+'), std::string::npos);
}

}  // namespace
