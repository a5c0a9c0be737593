// kvo-analyze on English and mixed text with the committed English library:
// spoken words, phones and labels, and the libraries it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_run.h"

namespace analyze_test {
namespace {

const std::string kChinese = KVO_ANALYZE_SMALL_LIBRARY;
const std::string kEnglish = std::string(KVO_ANALYZE_DATA_DIR) + "/en_us_slt.kvl";

ToolResult WithEnglish(std::vector<std::string> args, const std::string& input) {
  args.insert(args.begin(), {"--cnlib", kChinese, "--enlib", kEnglish});
  return Analyze(args, input);
}

TEST(AnalyzeEnglish, WordsPhonesAndLabels) {
  struct Case {
    const char* option;
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {"--words", "It costs $3.50.", "it costs three dollars fifty cents\n"},
      {"--words", "Dr. Brown met Henry VIII.", "doctor brown met henry the eighth\n"},
      // A language change ends a sentence: one line each.
      {"--words", "我们去银行hello", "我们 去 银行\nhello\n"},
      {"--phones", "hello world", "hh ax . 'l ow | 'w er l d\n"},
  };
  for (const Case& c : cases) {
    const ToolResult r = WithEnglish({c.option}, c.input);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected) << c.input;
  }
  const ToolResult labels = WithEnglish({"--labels"}, "cat");
  ASSERT_TRUE(labels.exited);
  EXPECT_EQ(labels.status, 0) << labels.err;
  EXPECT_EQ(labels.out.substr(0, 4), "cat\n");
  EXPECT_NE(labels.out.find("\t@ - pau p--=pau p-=pau p=pau p+=k p++=ae "), std::string::npos) << labels.out;
  EXPECT_NE(labels.out.find("\t@ cat ae "), std::string::npos);
  EXPECT_NE(labels.out.find(" vowel=ae "), std::string::npos);
}

TEST(AnalyzeEnglish, UsageAndRefusedLibraries) {
  const ToolResult alone = Analyze({"--enlib", kEnglish, "--words"}, "x");
  ASSERT_TRUE(alone.exited);
  EXPECT_EQ(alone.status, 2);
  const ToolResult both = WithEnglish({"--words", "--pinyin"}, "x");
  ASSERT_TRUE(both.exited);
  EXPECT_EQ(both.status, 2);
  TempFolder folder;
  const std::string garbage = folder.Write("garbage.kvl", std::string(200, 'x'));
  const ToolResult refused = Analyze({"--cnlib", kChinese, "--enlib", garbage, "--words"}, "x");
  ASSERT_TRUE(refused.exited);
  EXPECT_EQ(refused.status, 1);
  const ToolResult missing = Analyze({"--cnlib", kChinese, "--enlib", folder.path() + "/none.kvl", "--words"}, "x");
  ASSERT_TRUE(missing.exited);
  EXPECT_EQ(missing.status, 1);
}

}  // namespace
}  // namespace analyze_test
