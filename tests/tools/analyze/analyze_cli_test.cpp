// kvo-analyze as a program: output formats, input sources, usage errors and
// hostile input, over a library assembled from the hand-made test word list.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace analyze_test {
namespace {

const std::string kLibrary = KVO_ANALYZE_SMALL_LIBRARY;

std::vector<std::string> With(std::vector<std::string> args) {
  args.insert(args.begin(), {"--cnlib", kLibrary});
  return args;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) out.push_back(field);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

struct FormatCase {
  const char* name;
  std::vector<std::string> args;
  const char* input;  // standard input
  const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class OutputFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(OutputFormat, PrintsExactly) {
  const FormatCase& c = GetParam();
  const ToolResult r = Analyze(With(c.args), c.input);
  ASSERT_TRUE(r.exited);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, OutputFormat,
    testing::Values(
        FormatCase{"CitationOneLinePerSentence",
                   {"--citation"},
                   "我们去银行。行长很好。你好",
                   "wo3 men5 qu4 yin2 hang2\nhang2 zhang3 hen3 hao3\nni3 hao3\n"},
        // Two third tones: the first is spoken in the second tone.
        FormatCase{"PinyinAfterToneSandhi", {"--pinyin"}, "你好。我们去银行。", "ni2 hao3\nwo3 men5 qu4 yin2 hang2\n"},
        // 单 keeps its lexicon reading unless surname readings are asked for.
        FormatCase{"SurnamesOff", {"--citation"}, "他姓单。", "ta1 xing4 dan1\n"},
        FormatCase{"SurnamesOn", {"--citation", "--surnames"}, "他姓单。", "ta1 xing4 shan4\n"},
        FormatCase{"ArgumentsAreLines", {"--citation", "你好", "银行"}, "", "ni3 hao3\nyin2 hang2\n"},
        FormatCase{"SymbolsOnlyPrintNothing", {"--pinyin"}, "。，！？", ""},
        FormatCase{"LettersAreNoSyllables", {"--citation"}, "abc你好", "ni3 hao3\n"},
        FormatCase{"WordListing",
                   {},
                   "我们去银行。",
                   "# 我们去银行。\n"
                   "我们\tr\two3 men5\two3 men5\n"
                   "去\tv\tqu4\tqu4\n"
                   "银行\tn\tyin2 hang2\tyin2 hang2\n"
                   "。\tw\t-\t-\n"
                   "\n"},
        FormatCase{"WordListingShowsSandhi", {}, "你好", "# 你好\n你\tr\tni3\tni2\n好\ta\thao3\thao3\n\n"},
        FormatCase{"ControlCharactersEscaped", {}, "a\tb", "# a\\tb\na\tw\t-\t-\n\\t\tw\t-\t-\nb\tw\t-\t-\n\n"}),
    [](const testing::TestParamInfo<FormatCase>& p) { return std::string(p.param.name); });

TEST(AnalyzeItems, OneLinePerItemAfterTheWords) {
  const ToolResult r = Analyze(With({"--items"}), "你好，");
  ASSERT_TRUE(r.exited);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::vector<std::string>> items;
  for (const std::string& line : Lines(r.out)) {
    if (line.rfind("\t@\t", 0) == 0) items.push_back(Fields(line.substr(1)));
  }
  ASSERT_EQ(items.size(), 3u) << r.out;
  for (size_t i = 0; i < items.size(); ++i) {
    ASSERT_EQ(items[i].size(), 13u) << r.out;
    EXPECT_EQ(items[i][1], std::to_string(i));
  }
  // @ INDEX CHAR UNIT READING FLAGS PAUSE TAG WORD POS/LEN WORD/LEN PHRASE/COUNT TEXTPOS
  EXPECT_EQ(items[0][2], "你");
  EXPECT_EQ(items[0][4], "ni2");
  EXPECT_NE(std::stoul(items[0][5], nullptr, 16) & 0x1000, 0u) << "the first item starts a prosodic word";
  EXPECT_EQ(items[0][7], "r");
  EXPECT_EQ(items[1][4], "hao3");
  EXPECT_EQ(items[1][8], "1");
  const unsigned long comma_flags = std::stoul(items[2][5], nullptr, 16);
  EXPECT_NE(comma_flags & 0x0100, 0u) << "the comma is a pause item";
  EXPECT_GT(std::stoi(items[2][6]), 0);
  EXPECT_EQ(items[2][11], "0/1");
}

TEST(AnalyzeInput, ArgumentsFileAndStandardInputAgree) {
  TempFolder folder;
  const std::string text = "行长很好。\n我们去银行";
  const std::string file = folder.Write("text.txt", text);
  const ToolResult from_args = Analyze(With({"--citation", "行长很好。", "我们去银行"}));
  const ToolResult from_file = Analyze(With({"--citation", "-f", file}));
  const ToolResult from_dash = Analyze(With({"--citation", "-f", "-"}), text);
  const ToolResult from_stdin = Analyze(With({"--citation"}), text);
  ASSERT_EQ(from_args.status, 0) << from_args.err;
  EXPECT_EQ(from_args.out, "hang2 zhang3 hen3 hao3\nwo3 men5 qu4 yin2 hang2\n");
  for (const ToolResult* r : {&from_file, &from_dash, &from_stdin}) {
    EXPECT_EQ(r->status, 0) << r->err;
    EXPECT_EQ(r->out, from_args.out);
  }
}

TEST(AnalyzeInput, DataFolderCatalogueNamesTheLibrary) {
  TempFolder folder;
  std::filesystem::create_symlink(kLibrary, folder.path() + "/voice.kvl");
  folder.Write("catalogue.ini",
               "[tts.local.synth]\ntype = local\nresource = cnlib:voice.kvl\n"
               "[tts.other]\ntype = local\nresource = enlib:voice.kvl\n");
  const ToolResult by_data = Analyze({"--data", folder.path(), "--pinyin", "你好"});
  EXPECT_EQ(by_data.status, 0) << by_data.err;
  EXPECT_EQ(by_data.out, "ni2 hao3\n");
  const ToolResult no_cnlib = Analyze({"--data", folder.path(), "--capkey", "tts.other", "你好"});
  EXPECT_EQ(no_cnlib.status, 1);
  EXPECT_NE(no_cnlib.err.find("cnlib"), std::string::npos) << no_cnlib.err;
}

TEST(AnalyzeUsage, HelpDescribesTheFormat) {
  const ToolResult r = Analyze({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("usage: kvo-analyze"), std::string::npos);
  EXPECT_NE(r.out.find("--citation"), std::string::npos);
  EXPECT_NE(r.out.find("[--] [TEXT...]"), std::string::npos);
}

TEST(AnalyzeUsage, DoubleDashMakesDashedArgumentsText) {
  const ToolResult dashed = Analyze({"--cnlib", kLibrary, "--words", "--", "-5", "--help"});
  EXPECT_EQ(dashed.status, 0) << dashed.err;
  const ToolResult plain = Analyze({"--cnlib", kLibrary, "--words", "5"});
  EXPECT_EQ(plain.status, 0) << plain.err;
  // Both arguments are spoken lines, not options: no help text, a line per argument.
  EXPECT_EQ(dashed.out.find("usage:"), std::string::npos) << dashed.out;
  EXPECT_NE(dashed.out, plain.out);
  EXPECT_NE(dashed.out.find("help"), std::string::npos) << dashed.out;
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* message;  // part of the message on standard error
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class BadUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(BadUsage, FailsWithMessageAndNoOutput) {
  const UsageCase& c = GetParam();
  TempFolder folder;
  std::vector<std::string> args;
  // "@" stands for a scratch folder without a catalogue, "%" for a file that is no library.
  for (const std::string& a : c.args) {
    args.push_back(a == "@" ? folder.path() : a == "%" ? folder.Write("junk.kvl", "not a library") : a);
  }
  const ToolResult r = Analyze(args, "你好");
  ASSERT_TRUE(r.exited);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_NE(r.err.find("kvo-analyze: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadUsage,
    testing::Values(UsageCase{"UnknownOption", {"--cnlib", kLibrary, "--bogus"}, 2, "unknown option --bogus"},
                    UsageCase{"MissingValue", {"--cnlib"}, 2, "--cnlib needs a file"},
                    UsageCase{"MissingFile", {"--cnlib", kLibrary, "-f"}, 2, "-f needs a file"},
                    UsageCase{"PinyinAndCitation", {"--cnlib", kLibrary, "--pinyin", "--citation"}, 2, "exclude"},
                    UsageCase{"ItemsWithPinyin", {"--cnlib", kLibrary, "--items", "--pinyin"}, 2, "--items"},
                    UsageCase{"DataAndCnlib", {"--data", "@", "--cnlib", kLibrary}, 2, "exclude"},
                    UsageCase{"FileAndText", {"--cnlib", kLibrary, "-f", "x.txt", "你好"}, 2, "exclude"},
                    UsageCase{"LibraryMissing", {"--cnlib", "/nonexistent/voice.kvl"}, 1, "/nonexistent/voice.kvl"},
                    UsageCase{"NotALibrary", {"--cnlib", "%"}, 1, "junk.kvl"},
                    UsageCase{"TextFileMissing", {"--cnlib", kLibrary, "-f", "/nonexistent/t.txt"}, 1, "cannot read"},
                    UsageCase{"DataFolderMissing", {"--data", "/nonexistent/data"}, 1, "data folder"},
                    UsageCase{"NoCatalogue", {"--data", "@"}, 1, "catalogue"}),
    [](const testing::TestParamInfo<UsageCase>& p) { return std::string(p.param.name); });

// Deterministic bytes of every value.
std::string Junk(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  for (char& c : out) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }
  return out;
}

struct JunkCase {
  const char* name;
  std::string input;
};

void PrintTo(const JunkCase& c, std::ostream* os) { *os << c.name; }

class HostileInput : public testing::TestWithParam<JunkCase> {};

// Every mode ends normally, and the listing keeps its line format: every
// line a sentence header without tabs, an item line (a tab, "@" and 13
// fields), a word line of four fields, or empty.
TEST_P(HostileInput, NeverCrashesAndKeepsTheFormat) {
  const std::string& input = GetParam().input;
  for (const char* mode : {"--items", "--pinyin", "--citation"}) {
    const ToolResult r = Analyze(With({mode}), input);
    ASSERT_TRUE(r.exited) << mode << " was killed";
    EXPECT_EQ(r.status, 0) << mode << ": " << r.err;
    if (std::string(mode) != "--items") continue;
    for (const std::string& line : Lines(r.out)) {
      if (line.empty()) continue;
      if (line.rfind("# ", 0) == 0) {
        EXPECT_EQ(line.find('\t'), std::string::npos) << "header: " << line;
      } else if (line.rfind("\t@\t", 0) == 0) {
        EXPECT_EQ(Fields(line.substr(1)).size(), 13u) << "item: " << line;
      } else {
        EXPECT_EQ(Fields(line).size(), 4u) << "word: " << line;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, HostileInput,
    testing::Values(JunkCase{"StrayContinuationBytes", "\x80\x81\xBF你好\x80"},
                    JunkCase{"TruncatedSequenceAtEnd", "你好\xE4\xBD"},
                    JunkCase{"OverlongAndSurrogate", "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80银行"},
                    JunkCase{"ByteOrderMarksAndFF", "\xEF\xBB\xBF\xFF\xFE行长\xFE\xFF"},
                    JunkCase{"NulInTheMiddle", std::string("你好\0银行", 10)},
                    JunkCase{"OnlyNewlines", std::string(3000, '\n')},
                    JunkCase{"LongSentenceWithoutStop",
                             [] {
                               std::string s;
                               for (int i = 0; i < 900; ++i) s += "银行";
                               return s;
                             }()},
                    JunkCase{"LetterRunOfThirty", std::string(30, 'x') + "你好"},
                    JunkCase{"CharactersOutsideEveryTable", "\xF0\x9F\x98\x80\xE3\x80\x87\xE4\xB8\x80\xEF\xBF\xBD"},
                    JunkCase{"RandomBytes", Junk(64 * 1024, 7)}, JunkCase{"RandomBytesOtherSeed", Junk(5000, 2026)}),
    [](const testing::TestParamInfo<JunkCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace analyze_test
