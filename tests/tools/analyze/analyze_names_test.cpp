// Person names through kvo-analyze with the default voice, whose library
// holds the name model built from the public data: polyphonic surnames read
// as surnames in the contexts that mark a name, and the same characters in
// ordinary words keep their common readings.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace analyze_test {
namespace {

class DefaultVoiceNames : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(data_ + "/zh_cn_mei.kvl")) GTEST_SKIP() << "no data/zh_cn_mei.kvl";
  }
  ToolResult Run(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), {"--data", data_});
    return Analyze(args, input);
  }
  const std::string data_ = KVO_ANALYZE_DATA_DIR;
};

struct Case {
  const char* sentence;
  const char* citation;
};

TEST_F(DefaultVoiceNames, SurnameReadingsInNameContexts) {
  const Case cases[] = {
      // A preposition before, a verb after.
      {"会议由任建国主持。", "hui4 yi4 you2 ren2 jian4 guo2 zhu3 chi2"},
      // A verb before a name.
      {"他的老师叫解大伟。", "ta1 de5 lao3 shi1 jiao4 xie4 da4 wei3"},
      // At the sentence start no context is needed.
      {"乐小云是歌手。", "yue4 xiao3 yun2 shi4 ge1 shou3"},
      // A role noun before, a verb after.
      {"记者解晓东从现场发来报道。", "ji4 zhe3 xie4 xiao3 dong1 cong2 xian4 chang3 fa1 lai2 bao4 dao4"},
      {"单文明同志主持了会议。", "shan4 wen2 ming2 tong2 zhi4 zhu3 chi2 le5 hui4 yi4"},
      {"曾志强表示同意。", "zeng1 zhi4 qiang2 biao3 shi4 tong2 yi4"},
      // Controls: the same characters inside ordinary words.
      {"单据已经交给财务了。", "dan1 ju4 yi3 jing1 jiao1 gei3 cai2 wu4 le5"},
      {"曾几何时这里还是荒地。", "ceng2 ji3 he2 shi2 zhe4 li3 hai2 shi4 huang1 di4"},
      {"任何人都不能违反规定。", "ren4 he2 ren2 dou1 bu4 neng2 wei2 fan3 gui1 ding4"},
      {"他的解释很有道理。", "ta1 de5 jie3 shi4 hen3 you3 dao4 li3"},
      {"音乐会将在晚上开始。", "yin1 yue4 hui4 jiang1 zai4 wan3 shang4 kai1 shi3"},
  };
  std::string input, expected;
  for (const Case& c : cases) {
    input += std::string(c.sentence) + "\n";
    expected += std::string(c.citation) + "\n";
  }
  const ToolResult r = Run({"--citation"}, input);
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);
}

// The word lines of one sentence: "WORD<tab>TAG" each.
std::vector<std::string> WordsAndTags(const std::string& out) {
  std::vector<std::string> words;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    const size_t tab2 = line.find('\t', tab + 1);
    words.push_back(line.substr(0, tab2));
  }
  return words;
}

TEST_F(DefaultVoiceNames, NameIsOneWordTaggedNr) {
  struct WordCase {
    const char* sentence;
    const char* word;  // WORD<tab>TAG expected among the words
  };
  const WordCase cases[] = {
      {"会议由任建国主持。", "任建国\tnr"},
      {"欧阳建华是老师。", "欧阳建华\tnr"},
      {"老王来了。", "老王\tnr"},
      // A surname before a title stands alone, tagged as a surname.
      {"张主任说。", "张\tnrf"},
  };
  for (const WordCase& c : cases) {
    const ToolResult r = Run({}, c.sentence);
    ASSERT_TRUE(r.exited);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> words = WordsAndTags(r.out);
    EXPECT_NE(std::find(words.begin(), words.end(), c.word), words.end()) << c.sentence << "\n" << r.out;
  }
}

}  // namespace
}  // namespace analyze_test
