// The polyphone payload built from data/rules.txt, decoded back into the
// rule syntax it was written in; damaged payloads; pattern matching.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/lexicon/polyphone_reader.h"
#include "test_payloads.h"

namespace {

std::string SyllableName(uint16_t code) {
  std::ifstream in(std::string(LEXICON_DATA_DIR) + "/syllables.txt");
  std::string line;
  int index = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (index == code / 5) return line + std::to_string(code % 5 + 1);
    ++index;
  }
  return "?" + std::to_string(code);
}

std::string CharsText(const uint16_t* chars, int n) {
  static const std::map<uint16_t, std::string> names = [] {
    std::map<uint16_t, std::string> m;
    for (const char* ch : {"走", "路", "人", "业", "银", "行"}) m[Gbk(ch)[0]] = ch;
    return m;
  }();
  std::string out;
  for (int i = 0; i < n; ++i) {
    const auto it = names.find(chars[i]);
    out += it != names.end() ? it->second : "<" + std::to_string(chars[i]) + ">";
  }
  return out;
}

class PolyphoneFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = LoadFixture("polyphone.bin");
    memory_ = MemorySection(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
    ASSERT_TRUE(reader_.Open(memory_));
  }

  // One line of the rule source, as the reader decodes it.
  std::string Describe(const PolyphoneRule& rule, bool pair) {
    static const std::map<uint16_t, std::string> tags = {{34, "m"}, {38, "n"}, {49, "q"}};
    std::ostringstream out;
    out << SyllableName(rule.pinyin[0]);
    if (pair) out << " " << SyllableName(rule.pinyin[1]);
    uint32_t at = rule.limits_offset;
    for (int i = 0; i < rule.limit_count; ++i) {
      PolyphoneLimit limit;
      if (reader_.ReadLimit(rule, at, &limit) != PolyphoneStatus::kFound) return out.str() + " <corrupt>";
      out << (i == 0 ? " if " : " & ");
      if (!limit.known) return out.str() + "<type " + std::to_string(limit.type) + ">";
      const std::string range = "(" + std::to_string(limit.range_begin) + ".." + std::to_string(limit.range_end) + ")";
      const char* in = limit.negated ? " not in " : " in ";
      switch (limit.type) {
        case kPolyphoneLimitPartOfSpeech:
          out << "pos" << range << in;
          for (int t = 0; t < limit.count; ++t) out << (t ? "," : "") << tags.at(limit.tags[t]);
          break;
        case kPolyphoneLimitWords:
          out << "word" << range << in;
          for (int p = 0; p < limit.count; ++p) {
            PolyphonePattern pattern;
            if (reader_.ReadPattern(limit, p, &pattern) != PolyphoneStatus::kFound) return "<pattern>";
            out << (p ? "," : "") << (pattern.any_before ? "*" : "") << CharsText(pattern.chars, pattern.length)
                << (pattern.any_after ? "*" : "");
          }
          break;
        case kPolyphoneLimitCharacterNumber:
          out << "len(" << int{limit.position} << ") " << (limit.fewer_than ? "<" : "=") << " " << int{limit.length};
          break;
        case kPolyphoneLimitCharacterAttribute:
          out << "attr(" << int{limit.position} << "," << int{limit.char_position} << ") "
              << (limit.negated ? "lacks" : "has") << " 0x" << std::hex << limit.mask << std::dec;
          break;
      }
      at = limit.end_offset;
    }
    if (at != rule.end_offset) out << " <size mismatch>";
    return out.str();
  }

  std::vector<std::string> Rules(const PolyphoneEntry& entry) {
    std::vector<std::string> lines;
    uint32_t at = entry.rule_offset;
    for (int i = 0; i < entry.rule_count; ++i) {
      PolyphoneRule rule;
      if (reader_.ReadRule(at, entry.pair, &rule) != PolyphoneStatus::kFound) {
        lines.push_back("<corrupt rule>");
        break;
      }
      lines.push_back(Describe(rule, entry.pair));
      at = rule.end_offset;
    }
    return lines;
  }

  std::vector<uint8_t> bytes_;
  SectionReader memory_{};
  PolyphoneReader reader_;
};

TEST_F(PolyphoneFixture, RulesDecodeAsWritten) {
  EXPECT_EQ(reader_.SingleCount(), 3u);
  EXPECT_EQ(reader_.PairCount(), 1u);

  PolyphoneEntry entry;
  ASSERT_EQ(reader_.FindSingle(Gbk("行")[0], &entry), PolyphoneStatus::kFound);
  EXPECT_FALSE(entry.pair);
  EXPECT_EQ(Rules(entry), (std::vector<std::string>{
                              "hang2 if pos(-1..-1) in m,q & word(1..2) not in 走,*路,人*,*业*",
                              "xing2 if len(1) < 3 & attr(0,0) lacks 0x400",
                              "hang4 if attr(-1,-1) has 0x1000000 & len(-2) = 2",
                              "heng2",
                          }));

  ASSERT_EQ(reader_.FindSingle(Gbk("长")[0], &entry), PolyphoneStatus::kFound);
  EXPECT_EQ(Rules(entry), (std::vector<std::string>{"zhang3 if pos(-3..3) not in n", "chang2"}));

  const std::vector<uint16_t> pair = Gbk("行长");
  ASSERT_EQ(reader_.FindPair(pair[0], pair[1], &entry), PolyphoneStatus::kFound);
  EXPECT_TRUE(entry.pair);
  EXPECT_EQ(Rules(entry), (std::vector<std::string>{"hang2 zhang3 if word(-1..-1) in 银行", "xing2 chang2"}));

  ASSERT_EQ(reader_.FindSingle(Gbk("一")[0], &entry), PolyphoneStatus::kFound);
  EXPECT_EQ(entry.rule_count, 0);
}

TEST_F(PolyphoneFixture, EntriesNotInTheModel) {
  PolyphoneEntry entry;
  const std::vector<uint16_t> chars = Gbk("长行我");
  EXPECT_EQ(reader_.FindSingle(chars[2], &entry), PolyphoneStatus::kNotFound);
  EXPECT_EQ(reader_.FindSingle(0, &entry), PolyphoneStatus::kNotFound);
  EXPECT_EQ(reader_.FindSingle(0xFFFF, &entry), PolyphoneStatus::kNotFound);
  EXPECT_EQ(reader_.FindPair(chars[0], chars[1], &entry), PolyphoneStatus::kNotFound);  // order matters
  EXPECT_EQ(reader_.FindPair(chars[1], chars[2], &entry), PolyphoneStatus::kNotFound);
}

// A limit type the engine does not know makes its rule never apply; the
// rule size still leads to the next rule.
TEST_F(PolyphoneFixture, UnknownLimitTypeIsReportedAndSkippable) {
  PolyphoneEntry entry;
  ASSERT_EQ(reader_.FindSingle(Gbk("长")[0], &entry), PolyphoneStatus::kFound);
  PolyphoneRule rule;
  ASSERT_EQ(reader_.ReadRule(entry.rule_offset, false, &rule), PolyphoneStatus::kFound);
  for (uint8_t type : {4, 5, 0x80, 0xFF}) {
    std::vector<uint8_t> bytes = bytes_;
    bytes[rule.limits_offset] = type;
    const SectionReader memory = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
    PolyphoneReader reader;
    ASSERT_TRUE(reader.Open(memory));
    PolyphoneRule first;
    ASSERT_EQ(reader.ReadRule(entry.rule_offset, false, &first), PolyphoneStatus::kFound);
    PolyphoneLimit limit;
    ASSERT_EQ(reader.ReadLimit(first, first.limits_offset, &limit), PolyphoneStatus::kFound);
    EXPECT_FALSE(limit.known) << int{type};
    EXPECT_EQ(limit.type, type);
    PolyphoneRule second;
    ASSERT_EQ(reader.ReadRule(first.end_offset, false, &second), PolyphoneStatus::kFound);
    EXPECT_EQ(SyllableName(second.pinyin[0]), "chang2");
    EXPECT_EQ(second.limit_count, 0);
  }
}

TEST_F(PolyphoneFixture, DamagedPayloadsAreReported) {
  auto put32 = [](std::vector<uint8_t>& b, uint32_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  PolyphoneReader reader;
  for (uint32_t counts : {0x00000100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    for (uint32_t field : {0u, 4u}) {
      std::vector<uint8_t> bytes = bytes_;
      put32(bytes, field, counts);
      const SectionReader memory = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
      EXPECT_FALSE(reader.Open(memory)) << counts << " at " << field;
    }
  }
  std::vector<uint8_t> tiny(bytes_.begin(), bytes_.begin() + 7);
  const SectionReader tiny_memory = MemorySection(tiny.data(), static_cast<uint32_t>(tiny.size()));
  EXPECT_FALSE(reader.Open(tiny_memory));

  PolyphoneEntry entry;
  ASSERT_EQ(reader_.FindSingle(Gbk("行")[0], &entry), PolyphoneStatus::kFound);
  PolyphoneRule rule;
  EXPECT_EQ(reader_.ReadRule(static_cast<uint32_t>(bytes_.size()), false, &rule), PolyphoneStatus::kCorrupt);
  EXPECT_EQ(reader_.ReadRule(0xFFFFFFF0u, true, &rule), PolyphoneStatus::kCorrupt);
  ASSERT_EQ(reader_.ReadRule(entry.rule_offset, false, &rule), PolyphoneStatus::kFound);
  PolyphoneLimit limit;
  EXPECT_EQ(reader_.ReadLimit(rule, rule.end_offset, &limit), PolyphoneStatus::kCorrupt);
  EXPECT_EQ(reader_.ReadLimit(rule, rule.limits_offset - 1, &limit), PolyphoneStatus::kCorrupt);

  struct Case {
    const char* what;
    uint32_t at;
    uint8_t value;
  };
  const Case cases[] = {
      {"rule size 0", entry.rule_offset + 2, 0},
      {"rule size below its header", entry.rule_offset + 2, 3},
      {"rule size past the payload", entry.rule_offset + 2, 255},
      {"tag count past the rule", rule.limits_offset + 3, 0x7F},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = bytes_;
    bytes[c.at] = c.value;
    const SectionReader memory = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
    PolyphoneReader damaged;
    ASSERT_TRUE(damaged.Open(memory));
    PolyphoneRule r;
    PolyphoneStatus status = damaged.ReadRule(entry.rule_offset, false, &r);
    if (status == PolyphoneStatus::kFound) status = damaged.ReadLimit(r, r.limits_offset, &limit);
    EXPECT_EQ(status, PolyphoneStatus::kCorrupt) << c.what;
  }
}

// Decodes every entry of the test characters and checks what the reader
// promises for whatever it reports found: entries carry the key looked up,
// rules and limits stay inside the payload and their rule and move forward,
// counts fit their arrays, patterns have 1 ... 24 characters. Counts the
// rules found in *rules.
testing::AssertionResult DecodesWithinBounds(const PolyphoneReader& reader, uint32_t size, int* rules) {
  const std::vector<uint16_t> chars = Gbk("行长一");
  PolyphoneEntry entries[4];
  int n = 0;
  for (uint16_t ch : chars) {
    PolyphoneEntry& e = entries[n];
    if (reader.FindSingle(ch, &e) != PolyphoneStatus::kFound) continue;
    if (e.pair || e.chars[0] != ch) return testing::AssertionFailure() << "single entry for another key";
    ++n;
  }
  if (reader.FindPair(chars[0], chars[1], &entries[n]) == PolyphoneStatus::kFound) {
    const PolyphoneEntry& e = entries[n];
    if (!e.pair || e.chars[0] != chars[0] || e.chars[1] != chars[1]) {
      return testing::AssertionFailure() << "pair entry for another key";
    }
    ++n;
  }
  for (int e = 0; e < n; ++e) {
    const uint32_t header = entries[e].pair ? 6 : 4;
    uint32_t at = entries[e].rule_offset;
    for (int i = 0; i < entries[e].rule_count; ++i) {
      PolyphoneRule rule;
      if (reader.ReadRule(at, entries[e].pair, &rule) != PolyphoneStatus::kFound) break;
      ++*rules;
      if (rule.limits_offset != at + header || rule.end_offset < rule.limits_offset || rule.end_offset > size) {
        return testing::AssertionFailure()
               << "rule at " << at << " spans " << rule.limits_offset << ".." << rule.end_offset << " of " << size;
      }
      if (!entries[e].pair && rule.pinyin[1] != kLexiconNoPinyin) {
        return testing::AssertionFailure() << "second code in a single-character rule";
      }
      uint32_t limit_at = rule.limits_offset;
      for (int l = 0; l < rule.limit_count; ++l) {
        PolyphoneLimit limit;
        if (reader.ReadLimit(rule, limit_at, &limit) != PolyphoneStatus::kFound) break;
        if (!limit.known) {
          if (limit.type <= kPolyphoneLimitCharacterAttribute || limit.end_offset != 0) {
            return testing::AssertionFailure() << "type " << int{limit.type} << " reported unknown";
          }
          break;
        }
        if (limit.type > kPolyphoneLimitCharacterAttribute || limit.end_offset <= limit_at ||
            limit.end_offset > rule.end_offset) {
          return testing::AssertionFailure() << "limit of type " << int{limit.type} << " at " << limit_at << " ends at "
                                             << limit.end_offset << ", its rule at " << rule.end_offset;
        }
        if (limit.count > kPolyphoneMaxTags) return testing::AssertionFailure() << "count " << int{limit.count};
        if (limit.type == kPolyphoneLimitPartOfSpeech && limit.end_offset != limit_at + 4 + 2u * limit.count) {
          return testing::AssertionFailure() << int{limit.count} << " tags do not fill their limit";
        }
        if (limit.type == kPolyphoneLimitWords) {
          if (limit.patterns_offset != limit_at + 6 || limit.patterns_end != limit.end_offset) {
            return testing::AssertionFailure() << "patterns outside their limit";
          }
          for (int k = 0; k < limit.count; ++k) {
            PolyphonePattern pattern;
            if (reader.ReadPattern(limit, k, &pattern) != PolyphoneStatus::kFound) break;
            if (pattern.length < 1 || pattern.length > kPolyphoneMaxPatternChars) {
              return testing::AssertionFailure() << "pattern of " << pattern.length << " characters";
            }
          }
        }
        limit_at = limit.end_offset;
      }
      at = rule.end_offset;
    }
  }
  return testing::AssertionSuccess();
}

TEST_F(PolyphoneFixture, IntactPayloadDecodesWithinBounds) {
  int rules = 0;
  EXPECT_TRUE(DecodesWithinBounds(reader_, static_cast<uint32_t>(bytes_.size()), &rules));
  EXPECT_EQ(rules, 8);  // 行: 4, 长: 2, 行长: 2
}

// Every byte of the payload set in turn to stressing values: the header
// alone decides whether the payload opens, and whatever is then reported
// found is in bounds (the reads themselves are checked by ASan).
TEST_F(PolyphoneFixture, EveryByteDamagedInTurn) {
  int rules = 0;
  for (size_t p = 0; p < bytes_.size(); ++p) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      std::vector<uint8_t> bytes = bytes_;
      bytes[p] = value;
      const SectionReader memory = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
      PolyphoneReader reader;
      if (!reader.Open(memory)) {
        ASSERT_LT(p, 8u) << "refused with an intact header; byte " << p << " = " << int{value};
        continue;
      }
      ASSERT_TRUE(DecodesWithinBounds(reader, memory.size, &rules)) << "byte " << p << " = " << int{value};
    }
  }
  EXPECT_GT(rules, 0) << "no damaged payload decoded at all";
}

TEST(PolyphonePattern, MatchesByWildcardPosition) {
  struct Case {
    const char* pattern;
    const char* word;
    bool matches;
  };
  const Case cases[] = {
      {"银行", "银行", true}, {"银行", "银行长", false}, {"银行", "银", false}, {"银*", "银行", true},
      {"银*", "银", true},    {"银*", "金银", false},    {"*行", "银行", true}, {"*行", "行", true},
      {"*行", "行长", false}, {"*行*", "银行长", true},  {"*行*", "行", true},  {"*行*", "长江", false},
      {"银行*", "银", false}, {"*银行", "行", false},
  };
  for (const Case& c : cases) {
    const std::vector<uint16_t> raw = Gbk(c.pattern);
    PolyphonePattern pattern{};
    size_t begin = 0, end = raw.size();
    pattern.any_before = raw.front() == kPolyphoneWildcard;
    if (pattern.any_before) ++begin;
    pattern.any_after = raw.back() == kPolyphoneWildcard;
    if (pattern.any_after) --end;
    pattern.length = static_cast<int>(end - begin);
    for (size_t i = begin; i < end; ++i) pattern.chars[i - begin] = raw[i];
    const std::vector<uint16_t> word = Gbk(c.word);
    EXPECT_EQ(PolyphonePatternMatches(pattern, word.data(), static_cast<int>(word.size())), c.matches)
        << c.pattern << " ~ " << c.word;
  }
}

}  // namespace
