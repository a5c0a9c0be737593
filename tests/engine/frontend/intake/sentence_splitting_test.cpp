// Sentence splitting through the whole intake: UTF-8 text in, sentences out
// as byte spans of the input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/intake/code_pages.h"
#include "frontend/intake/intake_debug.h"
#include "frontend/intake/internal_code.h"
#include "table_fixture.h"

namespace {

using kvo::frontend::kLangChinese;
using kvo::frontend::kLangEnglish;

struct SplitRun {
  std::vector<std::string> sentences;
  std::vector<int> languages;
  int status = 0;
};

struct IntakeSetup {
  bool english = true;
  int mode = 0;
  int codePage = kvo::frontend::kCodePageUtf8;
  kvo::frontend::WordCutFinder wordCut = nullptr;
  void* wordCutUser = nullptr;
};

SplitRun Split(const std::string& text, IntakeSetup setup = {}, size_t chunkSize = 1024) {
  static kvo::frontend::TextIntake intake;  // large: keep it off the stack
  kvo::frontend::TextIntakeConfig config;
  config.codePage = setup.codePage;
  config.tables = kvo::testing::Tables().tables;
  config.englishAvailable = setup.english;
  config.englishMode = setup.mode;
  config.wordCut = setup.wordCut;
  config.wordCutUser = setup.wordCutUser;
  struct Sink {
    const std::string* text;
    SplitRun* run;
  };
  SplitRun run;
  Sink sink{&text, &run};
  run.status = kvo::frontend::DebugRunIntake(
      &intake, config, reinterpret_cast<const uint8_t*>(text.data()), text.size(), chunkSize,
      [](void* user, const kvo::frontend::DebugSentence& s) {
        auto* k = static_cast<Sink*>(user);
        k->run->sentences.push_back(
            k->text->substr(static_cast<size_t>(s.byteBegin), static_cast<size_t>(s.byteEnd - s.byteBegin)));
        k->run->languages.push_back(s.language);
      },
      &sink);
  return run;
}

struct Case {
  const char* text;
  std::vector<std::string> sentences;
  IntakeSetup setup;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // terminators that always end a sentence
      {"好。再见", {"好。", "再见"}},
      {"a!b", {"a!", "b"}},
      {"a?b", {"a?", "b"}},
      {"a;b", {"a;", "b"}},
      {"a\rb", {"a\r", "b"}},
      {"a\nb", {"a\n", "b"}},
      {"好！走？", {"好！", "走？"}},
      // full stop
      {"3.14", {"3.14"}},
      {"He left. She stayed.", {"He left.", " She stayed."}},
      {"好.走", {"好.", "走"}},
      {"Mr. Smith met Dr. Li at 5 P.M. today, i.e. late.", {"Mr. Smith met Dr. Li at 5 P.M. today,", " i.e. late."}},
      {"mrs. miss. a.m. b.c. a.d. ok", {"mrs. miss. a.m. b.c. a.d. ok"}},
      {"Hmr. x", {"Hmr.", " x"}},
      // colon
      {"12:30", {"12:30"}},
      {"他说:\"好\"", {"他说:", "\"好\""}},
      {"他说:“好”", {"他说:", "“好”"}},
      {"a:bc", {"a:", "bc"}},
      {"ab:c", {"ab:c"}},
      {"ab:", {"ab:"}},
      // comma
      {"1,000", {"1,000"}},
      {"1, 000", {"1, 000"}},
      {"好,走", {"好,", "走"}},
      {"好，走", {"好，", "走"}},
      {"1,a", {"1,", "a"}},
      // language changes
      {"hello你好", {"hello", "你好"}},
      {"你好hello", {"你好", "hello"}},
      {"hello你好", {"hello你好"}, {false, 0}},
      {"hello你好", {"hello你好"}, {true, 1}},
      {"123 hello", {"123 hello"}},
  };
  return cases;
}

TEST(FrontendSentenceSplitting, TerminatorsAbbreviationsAndLanguageChanges) {
  for (const Case& c : Cases()) {
    const SplitRun run = Split(c.text, c.setup);
    EXPECT_EQ(run.status, kFeOk) << c.text;
    EXPECT_EQ(run.sentences, c.sentences) << c.text;
  }
}

TEST(FrontendSentenceSplitting, ChunkSizeDoesNotMatter) {
  for (const Case& c : Cases())
    for (size_t size : {1u, 2u, 3u, 5u, 7u})
      EXPECT_EQ(Split(c.text, c.setup, size).sentences, c.sentences) << c.text << " / " << size;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(FrontendSentenceSplitting, ChineseSentencesAreCutAfter49Characters) {
  const std::string han = "字";  // three bytes in UTF-8
  SplitRun run = Split(Repeat(han, 60));
  ASSERT_EQ(run.sentences.size(), 2u);
  EXPECT_EQ(run.sentences[0], Repeat(han, 49));
  EXPECT_EQ(run.sentences[1], Repeat(han, 11));

  run = Split(Repeat(han, 30) + " " + Repeat(han, 30));
  ASSERT_EQ(run.sentences.size(), 2u);
  EXPECT_EQ(run.sentences[0], Repeat(han, 30) + " ");

  // Without an English library every sentence has the short budget; digits count double.
  run = Split(Repeat("7", 30), {false, 0});
  ASSERT_EQ(run.sentences.size(), 2u);
  EXPECT_EQ(run.sentences[0], Repeat("7", 24));
}

// A stand-in for the lexicon: words end after every "的", and the finder
// answers what the test sets; it records what it was shown.
struct FakeWords {
  enum Answer { kLastWordEnd, kNone, kPastTheLimit } answer = kLastWordEnd;
  size_t firstAvailable = 0;  // what the first call was shown
  size_t firstLimit = 0;
  int calls = 0;
};

size_t FakeWordCut(void* user, const uint16_t* codes, size_t available, size_t limit) {
  auto* f = static_cast<FakeWords*>(user);
  if (f->calls++ == 0) {
    f->firstAvailable = available;
    f->firstLimit = limit;
  }
  if (f->answer == FakeWords::kNone) return 0;
  if (f->answer == FakeWords::kPastTheLimit) return limit + 1;
  const uint16_t de = kvo::frontend::GbkCode(0xB5, 0xC4);  // 的
  for (size_t k = limit; k > 0; --k)
    if (codes[k - 1] == de) return k;
  return 0;
}

TEST(FrontendSentenceSplitting, LongChineseSentencesAreCutWhereTheFinderSays) {
  const std::string han = "字";
  const std::string text = Repeat(han, 30) + "的" + Repeat(han, 40);  // 71 codes
  struct CutCase {
    FakeWords::Answer answer;
    std::string first;
  };
  const CutCase cases[] = {
      {FakeWords::kLastWordEnd, Repeat(han, 30) + "的"},
      {FakeWords::kNone, Repeat(han, 30) + "的" + Repeat(han, 18)},          // at the limit
      {FakeWords::kPastTheLimit, Repeat(han, 30) + "的" + Repeat(han, 18)},  // ignored
  };
  for (const CutCase& c : cases) {
    for (size_t chunk : {1u, 3u, 7u, 1024u}) {
      FakeWords words;
      words.answer = c.answer;
      IntakeSetup setup;
      setup.wordCut = FakeWordCut;
      setup.wordCutUser = &words;
      const SplitRun run = Split(text, setup, chunk);
      ASSERT_GE(run.sentences.size(), 2u) << chunk;
      EXPECT_EQ(run.sentences[0], c.first) << chunk;
      std::string joined;
      for (const std::string& s : run.sentences) joined += s;
      EXPECT_EQ(joined, text);
      // Whatever the chunks, the first cut saw the words crossing the limit.
      EXPECT_EQ(words.firstAvailable, 49u + kvo::frontend::kWordCutLookahead) << chunk;
    }
  }

  // At the end of the input the finder sees what is left.
  FakeWords words;
  IntakeSetup setup;
  setup.wordCut = FakeWordCut;
  setup.wordCutUser = &words;
  Split(Repeat(han, 60), setup, 5);
  EXPECT_EQ(words.firstLimit, 49u);
  EXPECT_EQ(words.firstAvailable, 60u);

  // A space before the limit still wins; the finder is not asked.
  words = FakeWords{};
  const SplitRun spaced = Split(Repeat(han, 30) + " " + Repeat(han, 30), setup);
  ASSERT_EQ(spaced.sentences.size(), 2u);
  EXPECT_EQ(spaced.sentences[0], Repeat(han, 30) + " ");
  EXPECT_EQ(words.calls, 0);
}

TEST(FrontendSentenceSplitting, LongEnglishSentencesAreCutAtAWordBreak) {
  const std::string text = Repeat("word ", 150) + "end";  // 753 codes, 'w' counts double
  const SplitRun run = Split(text);
  ASSERT_GE(run.sentences.size(), 2u);
  std::string joined;
  for (const std::string& s : run.sentences) {
    joined += s;
    int budget = 0;
    for (char ch : s) budget += (ch == 'w') ? 2 : 1;
    EXPECT_LE(budget, 511);
  }
  EXPECT_EQ(joined, text);
  EXPECT_EQ(run.sentences[0].back(), ' ');
}

TEST(FrontendSentenceSplitting, TextWithoutBreaksFillingTheBufferIsCut) {
  const std::string text = Repeat("-", 1500);
  const SplitRun run = Split(text);
  std::string joined;
  for (const std::string& s : run.sentences) {
    EXPECT_LE(s.size(), 512u);
    joined += s;
  }
  EXPECT_EQ(joined, text);
}

TEST(FrontendSentenceSplitting, SentenceLanguage) {
  struct LanguageCase {
    const char* text;
    IntakeSetup setup;
    int language;
  };
  const LanguageCase cases[] = {
      {"hello world", {true, 0}, kLangEnglish},
      {"hello world", {true, 1}, kLangChinese},   // letters stay on the Chinese side
      {"hello world", {false, 2}, kLangChinese},  // no English library
      {"你好", {true, 2}, kLangChinese},
      {"123", {true, 2}, kLangEnglish},  // neutral: the mode decides
      {"123", {true, 0}, kLangChinese},
      {" \"' ", {true, 2}, kLangChinese},   // only marks
      {"ＡＢＣ", {true, 0}, kLangEnglish},  // full-width arrives as ASCII
  };
  for (const LanguageCase& c : cases) {
    const SplitRun run = Split(c.text, c.setup);
    ASSERT_EQ(run.languages.size(), 1u) << c.text;
    EXPECT_EQ(run.languages[0], c.language) << c.text;
  }
}

}  // namespace
