// Tone sandhi over hand-built batches: whole readings for the common cases,
// and for 一 the rule that decided each case.
#include "frontend/prosody/tone_sandhi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_batch.h"

namespace {

using sandhi_test::Batch;
using sandhi_test::BuildBatch;

struct ReadingCase {
  const char* text;
  const char* readings;
  const char* expected;
};

std::string ApplySandhi(Batch& batch, std::vector<uint8_t>* rules = nullptr) {
  if (rules != nullptr) rules->assign(batch.items.size(), 0xEE);
  kvo::frontend::Sandhi(batch.items.data(), batch.count, static_cast<uint16_t>(sandhi_test::SyllableCodeCount()), 0,
                        rules != nullptr ? rules->data() : nullptr);
  return batch.Readings();
}

const ReadingCase kReadingCases[] = {
    // third tones
    {"你好", "ni3 hao3", "ni2 hao3"},
    {"展览 馆", "zhan3 lan3 guan3", "zhan2 lan2 guan3"},
    {"小 老虎", "xiao3 lao3 hu3", "xiao3 lao2 hu3"},
    {"我 也 很 好", "wo3 ye3 hen3 hao3", "wo2 ye3 hen2 hao3"},
    {"我 很 好", "wo3 hen3 hao3", "wo2 hen2 hao3"},
    {"他 你 我 也 好", "ta1 ni3 wo3 ye3 hao3", "ta1 ni3 wo2 ye2 hao3"},
    {"我 也 想 买 米", "wo3 ye3 xiang3 mai3 mi3", "wo2 ye3 xiang2 mai2 mi3"},
    {"好 ， 我", "hao3 _ wo3", "hao2 _ wo3"},
    {"好 || 了 || 我", "hao3 le5 wo3", "hao3 le5 wo3"},
    // equal prosodic word indexes in different phrases are different words
    {"你好 || 我 也 很 好", "ni3 hao3 wo3 ye3 hen3 hao3", "ni2 hao3 wo2 ye3 hen2 hao3"},
    {"一 || 天", "yi1 tian1", "yi1 tian1"},
    // neutral tones
    {"妈 妈", "ma1 ma1", "ma1 ma5"},
    {"妈妈", "ma1 ma1", "ma1 ma1"},
    {"桌 子", "zhuo1 zi3", "zhuo1 zi5"},
    {"好 吧@y", "hao3 ba1", "hao3 ba5"},
    {"好 吧", "hao3 ba1", "hao3 ba1"},
    {"我 | 桌 子 | 天", "wo3 zhuo1 zi3 tian1", "wo3 zhuo1 zi3 tian1"},
    // 一
    {"一", "yi1", "yi1"},
    {"第 一", "di4 yi1", "di4 yi1"},
    {"一 样", "yi1 yang4", "yi2 yang4"},
    {"一 天", "yi1 tian1", "yi4 tian1"},
    {"一 个", "yi1 ge5", "yi2 ge5"},
    {"看 一 看", "kan4 yi1 kan4", "kan4 yi5 kan4"},
    {"五 月 一 日", "wu3 yue4 yi1 ri4", "wu3 yue4 yi1 ri4"},
    // 不, 七, 八
    {"不 是", "bu4 shi4", "bu2 shi4"},
    {"是 不 是", "shi4 bu4 shi4", "shi4 bu5 shi4"},
    {"好 | 不 | 好", "hao3 bu4 hao3", "hao3 bu5 hao3"},
    {"不 好", "bu4 hao3", "bu4 hao3"},
    {"八 岁", "ba4 sui4", "ba2 sui4"},
    {"七 天", "qi4 tian1", "qi4 tian1"},
};

TEST(ToneSandhi, ReadingsOfCommonCases) {
  for (const ReadingCase& c : kReadingCases) {
    Batch batch = BuildBatch(c.text, c.readings);
    EXPECT_EQ(ApplySandhi(batch), c.expected) << c.text;
  }
}

struct YiRuleCase {
  const char* text;
  const char* readings;
  int index;       // item of the 一 under test
  const char* yi;  // its reading afterwards
  int rule;        // the rule that decides it
};

const YiRuleCase kYiRuleCases[] = {
    {"发 一 班", "fa1 yi1 ban1", 1, "yi4", 1},
    {"三位 一 体", "san1 wei4 yi1 ti3", 2, "yi4", 1},
    {"天 一 阁", "tian1 yi1 ge2", 1, "yi1", 2},
    {"上 | 一 年级", "shang4 yi1 nian2 ji2", 1, "yi1", 3},
    {"十 一 万", "shi2 yi1 wan4", 1, "yi1", 4},
    {"一 万", "yi1 wan4", 0, "yi2", 4},
    {"第 一", "di4 yi1", 1, "yi1", 5},
    {"一 审", "yi1 shen3", 0, "yi1", 6},
    {"这 一 级", "zhe4 yi1 ji2", 1, "yi5", 7},
    {"最高 | 一 级", "zui4 gao1 yi1 ji2", 2, "yi4", 7},
    {"这 一 线", "zhe4 yi1 xian4", 1, "yi5", 8},
    {"一 线 希望", "yi1 xian4 xi1 wang4", 0, "yi2", 8},
    {"十 一 点", "shi2 yi1 dian3", 1, "yi1", 9},
    {"更上 一 层楼", "geng4 shang4 yi1 ceng2 lou2", 2, "yi4", 10},
    {"楼 | 一 层", "lou2 yi1 ceng2", 1, "yi1", 11},
    {"上 一 次", "shang4 yi1 ci4", 1, "yi5", 12},
    {"唯 一 一 次", "wei2 yi1 yi1 ci4", 2, "yi2", 13},
    {"唯 一", "wei2 yi1", 1, "yi1", 14},
    {"大 一 号", "da4 yi1 hao4", 1, "yi2", 15},
    {"之 一 | 百", "zhi1 yi1 bai3", 1, "yi4", 16},
    {"分 之 一", "fen1 zhi1 yi1", 2, "yi1", 17},
    {"之 一 天", "zhi1 yi1 tian1", 1, "yi4", 18},
    {"一 年 一 年", "yi1 nian2 yi1 nian2", 0, "yi4", 19},
    {"一 年 一 年", "yi1 nian2 yi1 nian2", 2, "yi4", 20},
    {"一 二 三", "yi1 er4 san1", 0, "yi1", 21},
    {"无 一 幸免", "wu2 yi1 xing4 mian3", 1, "yi1", 21},
    {"这 一 天", "zhe4 yi1 tian1", 1, "yi5", 22},
    {"研 一", "yan2 yi1", 1, "yi1", 23},
    {"一 中", "yi1 zhong1", 0, "yi1", 24},
    {"一 个", "yi1 ge5", 0, "yi2", 25},
    {"一 等奖", "yi1 deng3 jiang3", 0, "yi1", 26},
    {"一 是", "yi1 shi4", 0, "yi1", 27},
    {"一 年级", "yi1 nian2 ji2", 0, "yi1", 28},
    {"一 化", "yi1 hua4", 0, "yi1", 29},
    {"十一", "shi2 yi1", 1, "yi1", 30},
    {"十 一 年", "shi2 yi1 nian2", 1, "yi1", 31},
    {"一 年", "yi1 nian2", 0, "yi4", 32},
    {"五 月 一 日", "wu3 yue4 yi1 ri4", 2, "yi1", 21},
    {"五 月 | 一 日", "wu3 yue4 yi1 ri4", 2, "yi1", 33},
    {"一 日 起", "yi1 ri4 qi3", 0, "yi1", 34},
    {"一 日", "yi1 ri4", 0, "yi2", 34},
    {"一 楼", "yi1 lou2", 0, "yi1", 35},
    {"点 一 滴", "dian3 yi1 di1", 1, "yi4", 36},
    {"看 一 看", "kan4 yi1 kan4", 1, "yi5", 37},
    {"这 | 一 说法", "zhe4 yi1 shuo1 fa3", 1, "yi5", 38},
    {"一 天 | 一 下", "yi1 tian1 yi1 xia5", 0, "yi1", 39},
    {"万一", "wan4 yi1", 1, "yi1", 40},
    {"一 | 天", "yi1 tian1", 0, "yi1", 40},
    {"一 样", "yi1 yang4", 0, "yi2", 41},
    {"汉一路@ns", "han4 yi1 lu4", 1, "yi1", 41},
    {"一 ， 样", "yi1 _ yang4", 0, "yi2", 42},
    {"一 天", "yi1 tian1", 0, "yi4", 43},
    {"汉一堂", "han4 yi1 tang2", 1, "yi5", 43},
    {"汉一堂@ns", "han4 yi1 tang2", 1, "yi1", 43},
};

TEST(ToneSandhi, EveryYiRuleDecidesItsCase) {
  bool covered[44] = {};
  for (const YiRuleCase& c : kYiRuleCases) {
    Batch batch = BuildBatch(c.text, c.readings);
    std::vector<uint8_t> rules;
    ApplySandhi(batch, &rules);
    EXPECT_EQ(sandhi_test::Reading(batch.items[c.index].unit), c.yi) << c.text;
    EXPECT_EQ(rules[c.index], c.rule) << c.text;
    covered[c.rule] = true;
  }
  for (int rule = 1; rule <= 43; ++rule) EXPECT_TRUE(covered[rule]) << "rule " << rule;
}

TEST(ToneSandhi, RuleTraceMarksOnlyFirstToneYi) {
  Batch batch = BuildBatch("第 一 个 一", "di4 yi1 ge4 yi2");
  std::vector<uint8_t> rules;
  ApplySandhi(batch, &rules);
  EXPECT_EQ(rules[0], 0);
  EXPECT_EQ(rules[1], 5);
  EXPECT_EQ(rules[2], 0);
  EXPECT_EQ(rules[3], 0);  // not in the first tone: no rule
}

TEST(ToneSandhi, WordKindMarkMakesGeNeutral) {
  Batch batch = BuildBatch("一 个", "yi1 ge4");
  batch.items[1].flags |= 0x0001;
  EXPECT_EQ(ApplySandhi(batch), "yi2 ge5");
}

TEST(ToneSandhi, CountsChangedItems) {
  Batch batch = BuildBatch("你好 || 一 样", "ni3 hao3 yi1 yang4");
  EXPECT_EQ(kvo::frontend::Sandhi(batch.items.data(), batch.count,
                                  static_cast<uint16_t>(sandhi_test::SyllableCodeCount()), 0),
            2);
  Batch unchanged = BuildBatch("第 一", "di4 yi1");
  EXPECT_EQ(kvo::frontend::Sandhi(unchanged.items.data(), unchanged.count,
                                  static_cast<uint16_t>(sandhi_test::SyllableCodeCount()), 0),
            0);
}

TEST(ToneSandhi, SixToneVoiceAndEmptyBatchChangeNothing) {
  Batch batch = BuildBatch("你好 一 样", "ni3 hao3 yi1 yang4");
  EXPECT_EQ(
      kvo::frontend::Sandhi(batch.items.data(), batch.count, static_cast<uint16_t>(sandhi_test::SyllableCodeCount()),
                            kvo::frontend::kVoiceKindSixTones),
      0);
  EXPECT_EQ(batch.Readings(), "ni3 hao3 yi1 yang4");
  EXPECT_EQ(kvo::frontend::Sandhi(nullptr, 5, 2085, 0), 0);
  EXPECT_EQ(kvo::frontend::Sandhi(batch.items.data(), 0, 2085, 0), 0);
}

TEST(ToneSandhi, LettersPausesAndEnglishItemsKeepTheirCodes) {
  Batch batch = BuildBatch("一 ， 好", "yi1 _ hao3");
  const uint16_t g = static_cast<uint16_t>(sandhi_test::SyllableCodeCount());
  batch.items[2].unit = static_cast<uint16_t>(2 * g + 2);  // letter A
  qvAnalysisItem english = batch.items[0];
  english.language = kItemLanguageEnglish;
  batch.items[0] = english;
  kvo::frontend::Sandhi(batch.items.data(), batch.count, g, 0);
  EXPECT_EQ(batch.items[0].unit, english.unit);
  EXPECT_EQ(batch.items[1].unit, kUnitSilence);
  EXPECT_EQ(batch.items[2].unit, 2 * g + 2);
}

}  // namespace
