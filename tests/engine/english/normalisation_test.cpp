// Token rules and number readers: text in, the words it is read as.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "english/english_normalisation.h"

namespace {

using namespace kvo::english;

std::string Joined(const EnglishWordList& words) {
  std::string out;
  for (int i = 0; i < words.count; ++i) out += (i ? " " : "") + std::string(words.words[i].word);
  return out;
}

// An English run as the Chinese side hands it over, normalised.
std::string Read(const std::string& text) {
  TokenList tokens{};
  TokeniseRun(text.c_str(), text.size(), &tokens);
  EnglishWordList words{};
  NormaliseTokens(tokens, &words);
  return Joined(words);
}

using Reader = void (*)(const char*, size_t, WordSink*);
std::string Apply(Reader reader, const std::string& digits) {
  EnglishWordList words{};
  WordSink sink{&words, "", 0, 0};
  reader(digits.c_str(), digits.size(), &sink);
  return Joined(words);
}

TEST(NumberReaders, ReadTheirDigits) {
  struct Case {
    Reader reader;
    const char* digits;
    const char* words;
  };
  const Case cases[] = {
      {ReadCardinal, "0", "zero"},
      {ReadCardinal, "007", "seven"},
      {ReadCardinal, "15", "fifteen"},
      {ReadCardinal, "40", "forty"},
      {ReadCardinal, "300", "three hundred"},
      {ReadCardinal, "1001", "one thousand one"},
      {ReadCardinal, "1000005", "one million five"},
      {ReadCardinal, "1234567", "one million two hundred thirty four thousand five hundred sixty seven"},
      {ReadCardinal, "1,000", "one thousand"},
      {ReadCardinal, "1234567890123", "one two three four five six seven eight nine zero one two three"},
      {ReadDigits, "405", "four zero five"},
      {ReadYear, "1984", "nineteen eighty four"},
      {ReadYear, "1900", "nineteen hundred"},
      {ReadYear, "2000", "two thousand"},
      {ReadYear, "2005", "two thousand five"},
      {ReadYear, "1905", "nineteen oh five"},
      {ReadYear, "05", "oh five"},
      {ReadOrdinal, "21", "twenty first"},
      {ReadOrdinal, "12", "twelfth"},
      {ReadOrdinal, "1000000000", "one billionth"},
      {ReadNumber, "-3.25", "minus three point two five"},
      {ReadNumber, "+2", "plus two"},
      {ReadNumber, "1e-5", "one e minus five"},
      {ReadNumber, ".5", "zero point five"},
      {SpellLetters, "Ab1", "_a b one"},
  };
  for (const Case& c : cases) EXPECT_EQ(Apply(c.reader, c.digits), c.words) << c.digits;
}

TEST(TokenRules, ReadTokensInTheirContext) {
  const std::pair<const char*, const char*> cases[] = {
      {"10:05", "ten oh five"},
      {"10:00", "ten"},
      {"It costs $3.50", "it costs three dollars fifty cents"},
      {"$1.01", "one dollar one cent"},
      {"$2", "two dollars"},
      {"$3 million", "three million dollars"},
      {"1/2", "a half"},
      {"3/4", "three fourth 's"},
      {"5/3", "five slash three"},
      {"5-10", "five to ten"},
      {"555-1234", "five five five one two three four"},
      {"1-800-555-0100", "one eight zero zero five five five zero one zero zero"},
      {"Henry VIII", "henry the eighth"},
      {"King George III", "king george the third"},
      {"chapter IV", "chapter four"},
      {"visit Dr Smith", "visit doctor smith"},
      {"Dr. Brown", "doctor brown"},
      {"Main St", "main street"},
      {"St Paul", "saint paul"},
      {"Mr Smith", "mister smith"},
      {"he'll", "he 'll"},
      {"don't", "dont"},
      {"21st", "twenty first"},
      {"1990s", "one thousand nine hundred ninety's"},
      {"1,234,567", "one million two hundred thirty four thousand five hundred sixty seven"},
      {"1234567890123", "one two three four five six seven eight nine zero one two three"},
      {"50%", "fifty per cent"},
      {"U.S.A.", "u s _a"},
      {"vitamin A", "vitamin _a"},
      {"a cat", "a cat"},
      {"xkcd", "x k c d"},
      {"strength", "strength"},
      {"abc123", "_a b c one twenty three"},  // "bc" is no ending; parts read as years
      {"May 5", "may fifth"},
      {"flight 212", "flight two one two"},
      {"in 1984", "in nineteen eighty four"},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(Read(text), words) << text;
}

TEST(Patterns, MatchWholeTokensOnly) {
  struct Case {
    Pattern pattern;
    const char* token;
    bool match;
  };
  const Case cases[] = {
      {Pattern::kTime, "9:30", true},
      {Pattern::kTime, "19:30", true},
      {Pattern::kTime, "29:30", false},
      {Pattern::kTime, "9:60", false},
      {Pattern::kRoman, "XIV", true},
      {Pattern::kRoman, "IIII", false},
      {Pattern::kRoman, "VIII", true},
      {Pattern::kRoman, "IL", false},
      {Pattern::kFraction, "3/4", true},
      {Pattern::kFraction, "0/4", false},
      {Pattern::kMoney, "$1,000.5", true},
      {Pattern::kMoney, "$.5", false},
      {Pattern::kPhone, "555-1234", true},
      {Pattern::kPhone, "5555-123", false},
      {Pattern::kOrdinal, "2nd", true},
      {Pattern::kOrdinal, "2xx", false},
      {Pattern::kCommaNumber, "12,345.6", true},
      {Pattern::kCommaNumber, "1234,567", false},
      {Pattern::kNumber, "-1.5e+3", true},
      {Pattern::kNumber, "1.2.3", false},
      {Pattern::kDecade, "80s", true},
      {Pattern::kDottedLetters, "a.b", true},
      {Pattern::kDottedLetters, "ab", false},
  };
  for (const Case& c : cases) EXPECT_EQ(Matches(c.pattern, c.token), c.match) << c.token;
}

TEST(Pronounceability, FollowsOnsetsAndEndings) {
  const std::pair<const char*, bool> cases[] = {
      {"strengths", true}, {"schmaltz", true}, {"nth", false}, {"xkcd", false}, {"tlotr", false}, {"mnemonic", false},
  };
  for (const auto& [word, ok] : cases) EXPECT_EQ(IsPronounceable(word), ok) << word;
}

TEST(Tokens, CleaningStripsMarksAndLongTokensAreCut) {
  char token[kWordBytes] = "  (\"hello!\")";
  char mark = 0;
  EXPECT_EQ(CleanToken(token, &mark), 5u);
  EXPECT_STREQ(token, "hello");
  EXPECT_EQ(mark, ')');

  // 60 bytes of one token: cut after 31 characters, never a word over 33.
  const std::string run(60, 'b');
  TokenList tokens{};
  TokeniseRun(run.c_str(), run.size(), &tokens);
  ASSERT_EQ(tokens.count, 2);
  EXPECT_EQ(std::strlen(tokens.tokens[0]), 31u);
  EnglishWordList words{};
  NormaliseTokens(tokens, &words);
  EXPECT_LE(words.count, kMaxWords);
  for (int i = 0; i < words.count; ++i) EXPECT_LT(std::strlen(words.words[i].word), size_t{kWordBytes});
}

TEST(Tokens, HundredsOfDigitsStayWithinTheWordList) {
  // Fifty tokens of thirty digits each, read digit by digit: the list stops at 50.
  TokenList tokens{};
  tokens.count = kMaxTokens;
  for (int i = 0; i < kMaxTokens; ++i) std::memset(tokens.tokens[i], '7', 30);
  EnglishWordList words{};
  NormaliseTokens(tokens, &words);
  EXPECT_EQ(words.count, kMaxWords);
}

}  // namespace
