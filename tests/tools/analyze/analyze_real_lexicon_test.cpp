// kvo-analyze over the real lexicon (tools/lexicon/build.sh, assembled at
// build time) or, without it, the data folder's voice library: readings of
// polyphonic characters in everyday sentences.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_run.h"

namespace analyze_test {
namespace {

// The arguments that select the real library, or empty when there is none.
std::vector<std::string> RealLibrary() {
  const std::string built = KVO_ANALYZE_REAL_LIBRARY;
  if (!built.empty() && std::filesystem::exists(built)) return {"--cnlib", built};
  const std::string data = KVO_ANALYZE_DATA_DIR;
  if (std::filesystem::exists(data + "/zh_cn_mei.kvl")) return {"--data", data};
  return {};
}

struct Reading {
  const char* sentence;
  const char* syllables;
};

class RealLexicon : public testing::Test {
 protected:
  void SetUp() override {
    library_ = RealLibrary();
    if (library_.empty()) GTEST_SKIP() << "no real lexicon built (tools/lexicon/build.sh) and no data/zh_cn_mei.kvl";
  }
  // Runs every sentence in one call, one output line each.
  void Expect(const char* mode, const std::vector<Reading>& cases) {
    std::string input, expected;
    for (const Reading& c : cases) {
      input += std::string(c.sentence) + "\n";
      expected += std::string(c.syllables) + "\n";
    }
    std::vector<std::string> args = library_;
    args.push_back(mode);
    const ToolResult r = Analyze(args, input);
    ASSERT_TRUE(r.exited);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
  }
  std::vector<std::string> library_;
};

TEST_F(RealLexicon, PolyphonesInCitationTones) {
  Expect("--citation", {
                           {"我去银行取钱。", "wo3 qu4 yin2 hang2 qu3 qian2"},
                           {"他在路边行走。", "ta1 zai4 lu4 bian1 xing2 zou3"},
                           {"行长在银行工作。", "hang2 zhang3 zai4 yin2 hang2 gong1 zuo4"},
                           {"孩子长大了。", "hai2 zi5 zhang3 da4 le5"},
                           {"长度不够。", "chang2 du4 bu4 gou4"},
                           {"他长得很高。", "ta1 zhang3 de5 hen3 gao1"},
                           {"这件事很重要。", "zhe4 jian4 shi4 hen3 zhong4 yao4"},
                           {"我们重新开始吧。", "wo3 men5 chong2 xin1 kai1 shi3 ba5"},
                           {"你还是去吧。", "ni3 hai2 shi4 qu4 ba5"},
                           {"请把钱还给我。", "qing3 ba3 qian2 huan2 gei3 wo3"},
                           {"我觉得很好。", "wo3 jue2 de5 hen3 hao3"},
                           {"他想睡觉。", "ta1 xiang3 shui4 jiao4"},
                           // 行 as "line" in technical text, 为 after a verb of changing.
                           {"第一行的其余部分。", "di4 yi1 hang2 de5 qi2 yu2 bu4 fen5"},
                           {"在行首和行尾。", "zai4 hang2 shou3 he2 hang2 wei3"},
                           {"命令行参数", "ming4 ling4 hang2 can1 shu4"},
                           {"这个办法行不行？", "zhe4 ge5 ban4 fa3 xing2 bu4 xing2"},
                           {"把文件修改为只读。", "ba3 wen2 jian4 xiu1 gai3 wei2 zhi3 du2"},
                           {"为人民服务。", "wei4 ren2 min2 fu2 wu4"},
                       });
}

TEST_F(RealLexicon, SpokenAfterToneSandhi) {
  Expect("--pinyin", {
                         {"银行行长", "yin2 hang2 hang2 zhang3"},
                         {"你好", "ni2 hao3"},
                         {"睡觉", "shui4 jiao4"},
                     });
}

// The reading of one character of a sentence: the sentences hold hanzi
// only, so the n-th character is the n-th syllable.
struct CharacterReading {
  const char* sentence;
  const char* character;  // its first occurrence is meant
  const char* reading;
};

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> out;
  size_t begin = 0;
  while (begin < line.size()) {
    size_t end = line.find(' ', begin);
    if (end == std::string::npos) end = line.size();
    out.push_back(line.substr(begin, end - begin));
    begin = end + 1;
  }
  return out;
}

size_t Utf8Length(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

void ExpectCharacterReadings(const std::vector<std::string>& library, const char* mode,
                             const std::vector<CharacterReading>& cases) {
  std::string input;
  for (const CharacterReading& c : cases) input += std::string(c.sentence) + "\n";
  std::vector<std::string> args = library;
  args.push_back(mode);
  const ToolResult r = Analyze(args, input);
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> out;
    size_t begin = 0;
    while (begin < r.out.size()) {
      const size_t end = r.out.find('\n', begin);
      out.push_back(r.out.substr(begin, end - begin));
      begin = end == std::string::npos ? r.out.size() : end + 1;
    }
    return out;
  }();
  ASSERT_EQ(lines.size(), cases.size()) << r.out;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string sentence = cases[i].sentence;
    const size_t at = sentence.find(cases[i].character);
    ASSERT_NE(at, std::string::npos) << sentence;
    const size_t index = Utf8Length(sentence.substr(0, at));
    const std::vector<std::string> syllables = Words(lines[i]);
    ASSERT_EQ(syllables.size(), Utf8Length(sentence)) << sentence << ": " << lines[i];
    EXPECT_EQ(syllables[index], cases[i].reading) << sentence << ": " << lines[i];
  }
}

// Polyphones whose reading hangs on the words around them: the verb readings
// (还 huan2, 种 zhong4, 觉 jiao4, 为 wei2, 行 hang2) against near misses
// that keep the everyday reading.
TEST_F(RealLexicon, PolyphoneReadingsInContext) {
  ExpectCharacterReadings(library_, "--citation",
                          {
                              // 还: giving back when a verb, "still" otherwise
                              {"他还了我一本书", "还", "huan2"},
                              {"请你还给我", "还", "huan2"},
                              {"这笔钱已经还清了", "还", "huan2"},
                              {"他还我一个公道", "还", "huan2"},
                              {"我下个月还你钱", "还", "huan2"},
                              {"你还是去吧", "还", "hai2"},
                              {"他还有很多事情要做", "还", "hai2"},
                              {"我还没吃饭", "还", "hai2"},
                              {"他也还了", "还", "hai2"},
                              // 种: planting before where and what, the kind after a numeral or demonstrative
                              {"种在地里", "种", "zhong4"},
                              {"把树苗种到院子里", "种", "zhong4"},
                              {"我想种一棵树", "种", "zhong4"},
                              {"他们正在种菜", "种", "zhong4"},
                              {"种子发芽了", "种", "zhong3"},
                              {"这种在市场上很常见", "种", "zhong3"},
                              {"我喜欢这种花", "种", "zhong3"},
                              // 觉: sleep after a numeral or classifier, feel elsewhere
                              {"一觉醒来天亮了", "觉", "jiao4"},
                              {"我一觉睡到中午", "觉", "jiao4"},
                              {"他睡了一觉", "觉", "jiao4"},
                              {"我觉得很好", "觉", "jue2"},
                              {"人民的觉醒", "觉", "jue2"},
                              {"他感觉不错", "觉", "jue2"},
                              // 行: hang2 for expertise and lines, xing2 for going and "all right"
                              {"他对电脑很在行", "行", "hang2"},
                              {"做饭我不在行", "行", "hang2"},
                              {"他在路边行走", "行", "xing2"},
                              {"我去银行取钱", "行", "hang2"},
                              {"现在行了", "行", "xing2"},
                              {"这样行不行", "行", "xing2"},
                              // 为: wei2 as "be, become" (为空 为零 改为), wei4 as "for, because"
                              {"如果字段为空就跳过", "为", "wei2"},
                              {"把计数器重置为零", "为", "wei2"},
                              {"将名称更改为新名称", "为", "wei2"},
                              {"他被选为班长", "为", "wei2"},
                              {"以此为准", "为", "wei2"},
                              {"到目前为止", "为", "wei2"},
                              {"因为下雨我们没去", "为", "wei4"},
                              {"为了明天努力", "为", "wei4"},
                              {"为人民服务", "为", "wei4"},
                              {"他为大家做饭", "为", "wei4"},
                          });
}

TEST_F(RealLexicon, ToneSandhiOfYiBeforeJiao) {
  ExpectCharacterReadings(library_, "--pinyin",
                          {
                              {"一觉醒来天亮了", "一", "yi2"},
                              {"他睡了一觉", "一", "yi2"},
                              {"唯一觉得累的是我", "一", "yi1"},
                          });
}

// A text without punctuation is cut before its budget of 49 codes runs out,
// between words: here every cut the plain count would make falls inside a
// word (…我们今|天…), and no sentence may end inside one of these words.
TEST_F(RealLexicon, LongTextsAreCutBetweenWords) {
  const std::vector<std::string> words = {
      "他",   "说",   "这个", "问题",   "已经", "讨论",   "了",   "很久", "大家", "都",   "觉得", "应该",
      "尽快", "解决", "所以", "决定",   "明天", "上午",   "开会", "并且", "认真", "研究", "一下", "具体",
      "办法", "我们", "今天", "一起",   "去",   "公园",   "散步", "然后", "在",   "湖边", "的",   "长椅",
      "上",   "坐",   "了",   "一会儿", "看着", "孩子们", "在",   "草地", "上",   "快乐", "地",   "奔跑",
      "晚上", "回家", "以后", "大家",   "一起", "吃饭",   "聊天", "一直", "到",   "深夜"};
  std::string text;
  std::vector<size_t> boundaries = {0};
  for (const std::string& w : words) {
    text += w;
    boundaries.push_back(Utf8Length(text));
  }
  // The plain count would cut inside 今天 (after 47 + 2 characters).
  ASSERT_EQ(Utf8Length(text.substr(0, text.find("今天"))), 48u);

  std::vector<std::string> args = library_;
  args.push_back("--citation");
  const ToolResult r = Analyze(args, text + "\n");
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<size_t> lengths;
  size_t begin = 0;
  while (begin < r.out.size()) {
    const size_t end = r.out.find('\n', begin);
    lengths.push_back(Words(r.out.substr(begin, end - begin)).size());
    begin = end + 1;
  }
  ASSERT_GE(lengths.size(), 2u) << r.out;
  size_t at = 0;
  for (size_t n : lengths) {
    EXPECT_LE(n, 49u);
    at += n;
    EXPECT_NE(std::find(boundaries.begin(), boundaries.end(), at), boundaries.end())
        << "cut inside a word after " << at << " characters:\n"
        << r.out;
  }
  EXPECT_EQ(at, Utf8Length(text));
}

}  // namespace
}  // namespace analyze_test
