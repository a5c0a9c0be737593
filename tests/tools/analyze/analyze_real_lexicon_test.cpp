// kvo-analyze over the real lexicon (tools/lexicon/build.sh, assembled at
// build time) or, without it, the data folder's voice library: readings of
// polyphonic characters in everyday sentences.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace analyze_test
