// The syllable table fixes every unit code: code = index × 5 + tone − 1.
// The codes below are those of the engine's built-in word and surname
// tables; each is checked against the reading of its character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/lexicon/name_table.h"
#include "frontend/lexicon/syllable_split.h"
#include "syllable_inventory.h"

namespace {

using kvo::frontend::FindName;
using kvo::frontend::IndexNameTable;

struct Names {
  std::vector<uint8_t> payload;
  std::vector<const char*> names;
  explicit Names(std::vector<uint8_t> p) : payload(std::move(p)), names(1024) {
    size_t count = 0;
    EXPECT_TRUE(IndexNameTable(payload.data(), payload.size(), names.data(), names.size(), &count));
    names.resize(count);
  }
  int Find(const std::string& name) const { return FindName(names.data(), names.size(), name.c_str()); }
};

struct Reading {
  const char* syllable;
  int tone;
  int code;
};

// Readings of the characters of the built-in tables (fixed words such as
// 人民币, surname readings such as 单 shan4, compound surnames such as 万俟).
const Reading kBuiltInReadings[] = {
    {"sa", 4, 1443},    {"si", 1, 1575},    {"mo", 1, 1050},    {"ma", 5, 974},     {"ren", 2, 1386},
    {"min", 2, 1036},   {"bi", 4, 68},      {"he", 4, 593},     {"zi", 1, 2045},    {"ai", 4, 8},
    {"ping", 2, 1276},  {"fen", 1, 445},    {"xing", 2, 1791},  {"rong", 2, 1401},  {"ci", 2, 241},
    {"mou", 3, 1057},   {"wu", 4, 1753},    {"xin", 1, 1785},   {"lang", 4, 853},   {"sou", 1, 1585},
    {"hu", 2, 631},     {"hou", 4, 628},    {"gu", 3, 527},     {"ge", 1, 495},     {"bai", 3, 32},
    {"shi", 4, 1528},   {"ke", 3, 767},     {"kou", 3, 792},    {"le", 4, 863},     {"lian", 2, 886},
    {"xiang", 3, 1772}, {"da", 4, 283},     {"sha", 4, 1483},   {"xing", 1, 1790},  {"ba", 1, 25},
    {"ke", 5, 769},     {"ka", 1, 740},     {"pa", 4, 1213},    {"yun", 4, 1898},   {"dong", 4, 363},
    {"di", 2, 326},     {"ni", 2, 1121},    {"suo", 3, 1612},   {"jia", 2, 676},    {"wen", 2, 1736},
    {"mo", 2, 1051},    {"tuo", 2, 1706},   {"luo", 2, 961},    {"la", 1, 835},     {"san", 1, 1450},
    {"bao", 3, 47},     {"jie", 2, 696},    {"wo", 4, 1748},    {"er", 3, 422},     {"bo", 2, 96},
    {"zha", 1, 1945},   {"shan", 4, 1493},  {"zhai", 2, 1951},  {"du", 1, 370},     {"ge", 3, 497},
    {"gan", 1, 480},    {"guan", 4, 543},   {"hua", 4, 638},    {"xie", 4, 1783},   {"yue", 4, 1893},
    {"meng", 2, 1011},  {"mou", 2, 1056},   {"ning", 2, 1156},  {"piao", 2, 1261},  {"qi", 2, 1296},
    {"ou", 1, 1205},    {"qu", 1, 1345},    {"shao", 4, 1503},  {"xian", 1, 1765},  {"xiang", 4, 1773},
    {"yan", 1, 1830},   {"yin", 1, 1855},   {"ying", 1, 1860},  {"zhan", 1, 1955},  {"chong", 2, 191},
    {"shen", 4, 1518},  {"qiao", 2, 1316},  {"kui", 2, 821},    {"shen", 1, 1515},  {"fu", 2, 466},
    {"ben", 1, 55},     {"qin", 2, 1326},   {"xie", 2, 1781},   {"gen", 4, 508},    {"juan", 4, 728},
    {"bu", 3, 102},     {"chao", 2, 166},   {"che", 1, 170},    {"cheng", 2, 181},  {"qiu", 2, 1341},
    {"ding", 1, 350},   {"dun", 4, 388},    {"gai", 4, 478},    {"gou", 1, 520},    {"ha", 3, 567},
    {"he", 2, 591},     {"jiang", 1, 685},  {"kong", 1, 785},   {"la", 3, 837},     {"li", 4, 878},
    {"mao", 4, 993},    {"yao", 1, 1840},   {"mi", 2, 1016},    {"na", 1, 1070},    {"shang", 4, 1498},
    {"sheng", 4, 1523}, {"shu", 4, 1538},   {"su", 4, 1593},    {"tai", 2, 1621},   {"tang", 1, 1630},
    {"tie", 1, 1665},   {"yu", 4, 1883},    {"xiang", 1, 1770}, {"xiao", 1, 1775},  {"yu", 2, 1881},
    {"zeng", 1, 1940},  {"zha", 2, 1946},   {"nian", 2, 1131},  {"she", 2, 1506},   {"zhong", 3, 1997},
    {"zi", 3, 2047},    {"mie", 1, 1030},   {"yan", 3, 1832},   {"wei", 3, 1732},   {"qie", 4, 1323},
    {"huan", 2, 646},   {"guo", 1, 560},    {"han", 3, 577},    {"wen", 4, 1738},   {"tan", 2, 1626},
    {"mi", 4, 1018},    {"miao", 4, 1028},  {"zang", 1, 1915},  {"yu", 1, 1880},    {"sui", 1, 1600},
    {"bao", 4, 48},     {"bie", 2, 81},     {"nie", 4, 1148},   {"zhang", 3, 1962}, {"sun", 1, 1605},
    {"chan", 2, 156},   {"shang", 1, 1495}, {"mu", 4, 1063},    {"mo", 4, 1053},    {"chi", 2, 186},
};

TEST(FrontendSyllableTable, HoldsTheBaseSyllablesAndReadingCodeBound) {
  const Names table(kvo::tables::SyllableSection());
  ASSERT_EQ(table.names.size(), 417u);
  // Reading codes run from 128 to 128 + G - 1 = 2212 with five tones.
  EXPECT_EQ(128 + 5 * static_cast<int>(table.names.size()) - 1, 2212);
}

TEST(FrontendSyllableTable, ReproducesEveryBuiltInSyllableCode) {
  const Names table(kvo::tables::SyllableSection());
  for (const Reading& r : kBuiltInReadings) {
    const int index = table.Find(r.syllable);
    ASSERT_GE(index, 0) << r.syllable;
    EXPECT_EQ(index * 5 + r.tone - 1, r.code) << r.syllable << r.tone;
  }
}

TEST(FrontendSyllableTable, SpellingsAreUniqueAndPlainLowerCase) {
  const Names table(kvo::tables::SyllableSection());
  for (size_t i = 0; i < table.names.size(); ++i) {
    const std::string name = table.names[i];
    ASSERT_FALSE(name.empty());
    for (char c : name) EXPECT_TRUE(c >= 'a' && c <= 'z') << name;
    EXPECT_EQ(table.Find(name), static_cast<int>(i)) << "duplicate " << name;
  }
}

struct SplitCase {
  const char* name;
  const char* initial;
  const char* final_;
};

TEST(FrontendSyllableSplit, FiveToneRules) {
  const Names initials(kvo::tables::InitialsSection());
  ASSERT_GE(initials.names.size(), 3u);
  EXPECT_STREQ(initials.names[0], "zh");
  EXPECT_STREQ(initials.names[1], "ch");
  EXPECT_STREQ(initials.names[2], "sh");
  const SplitCase cases[] = {
      {"zhang1", "zh", "ang"}, {"shi4", "sh", "i"},   {"si1", "s", "i"},   {"yu2", "", "v"},   {"yi1", "", "i"},
      {"yin2", "", "in"},      {"yuan2", "", "van"},  {"yue4", "", "ve"},  {"yun4", "", "vn"}, {"you3", "", "iu"},
      {"yong3", "", "iong"},   {"wu3", "", "u"},      {"wei4", "", "ui"},  {"wen2", "", "un"}, {"weng1", "", "ueng"},
      {"ju1", "j", "v"},       {"quan2", "q", "van"}, {"xue2", "x", "ve"}, {"lv4", "l", "v"},  {"lue4", "l", "ve"},
      {"niu2", "n", "iu"},     {"gui4", "g", "ui"},   {"a1", "", "a"},     {"er2", "", "er"},  {"hng5", "h", "ng"},
  };
  for (const SplitCase& c : cases) {
    kvo::frontend::SyllableParts parts;
    ASSERT_TRUE(kvo::frontend::SplitSyllableName(c.name, initials.names.data(), initials.names.size(), false, &parts));
    EXPECT_STREQ(parts.initial, c.initial) << c.name;
    EXPECT_STREQ(parts.final_, c.final_) << c.name;
    EXPECT_EQ(parts.initialIndex, initials.Find(c.initial)) << c.name;
  }
}

TEST(FrontendSyllableSplit, SixToneSyllabicNasalsHaveNoInitial) {
  const char* const initials[] = {"zh", "ch", "sh", "b", "m", "ng", "h"};
  kvo::frontend::SyllableParts parts;
  ASSERT_TRUE(kvo::frontend::SplitSyllableName("m6", initials, 7, true, &parts));
  EXPECT_EQ(parts.initialIndex, -1);
  EXPECT_STREQ(parts.final_, "m");
  ASSERT_TRUE(kvo::frontend::SplitSyllableName("ma1", initials, 7, true, &parts));
  EXPECT_STREQ(parts.initial, "m");
  EXPECT_STREQ(parts.final_, "a");
  ASSERT_TRUE(kvo::frontend::SplitSyllableName("yat6", initials, 7, true, &parts));
  EXPECT_EQ(parts.initialIndex, -1);
  EXPECT_STREQ(parts.final_, "yat");
}

// Every initial and non-empty final that a syllable splits into must be a
// phone, and every phone has a voicing class.
TEST(FrontendPhoneSet, CoversEverySplitOfEverySyllable) {
  const Names syllables(kvo::tables::SyllableSection());
  const Names initials(kvo::tables::InitialsSection());
  const Names finals(kvo::tables::FinalsSection());
  const Names phones(kvo::tables::PhonesSection());
  for (const char* s : syllables.names) {
    kvo::frontend::SyllableParts parts;
    ASSERT_TRUE(kvo::frontend::SplitSyllableName(s, initials.names.data(), initials.names.size(), false, &parts));
    if (parts.initial[0] != '\0') {
      EXPECT_GE(phones.Find(parts.initial), 0) << s;
    }
    if (parts.final_[0] != '\0') {
      EXPECT_GE(finals.Find(parts.final_), 0) << s;
      EXPECT_GE(phones.Find(parts.final_), 0) << s;
    }
  }
  EXPECT_GE(phones.Find("pau"), 0);
  EXPECT_GE(phones.Find("0"), 0);
  EXPECT_EQ(kvo::tables::VoicingSection().size(), phones.names.size());
}

TEST(FrontendNameTable, RejectsTruncatedPayloads) {
  const std::vector<uint8_t> full = kvo::tables::InitialsSection();
  const char* names[64];
  size_t count = 0;
  for (size_t cut = 0; cut < full.size(); ++cut)
    EXPECT_FALSE(IndexNameTable(full.data(), cut, names, 64, &count)) << cut;
  EXPECT_FALSE(IndexNameTable(full.data(), full.size(), names, 3, &count));  // count above capacity
  EXPECT_TRUE(IndexNameTable(full.data(), full.size(), names, 64, &count));
}

}  // namespace
