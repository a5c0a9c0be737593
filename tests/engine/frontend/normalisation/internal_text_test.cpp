#include "frontend/normalisation/internal_text.h"

#include <gtest/gtest.h>

#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/normalised_words.h"

namespace kvo::frontend {
namespace {

TEST(InternalText, MapIsSortedAndGivesGbkCodes) {
  for (int i = 1; i < kInternalCodeMapSize; ++i) {
    EXPECT_LT(kInternalCodeMap[i - 1].unicode, kInternalCodeMap[i].unicode) << i;
  }
  EXPECT_EQ(InternalCodeOf(u'a'), 'a');
  EXPECT_EQ(InternalCodeOf(u'\uFFFD'), kCodeUnconvertible);  // no rule spells it
}

TEST(InternalText, ComparesCodesWithLiterals) {
  const uint16_t codes[] = {'A', 'M', '1'};
  EXPECT_TRUE(CodesEqual(codes, 2, u"AM"));
  EXPECT_FALSE(CodesEqual(codes, 3, u"AM"));
  EXPECT_TRUE(CodesStartWith(codes, 3, u"AM"));
  EXPECT_FALSE(CodesStartWith(codes, 1, u"AM"));
  uint16_t out[2];
  EXPECT_EQ(ToInternalCodes(u"abc", out, 2), -1);
}

TEST(NormalisedWords, AppendRefusesWhenFullOrEmpty) {
  WordList list{};
  const uint16_t digits[] = {'1', '2'};
  EXPECT_FALSE(AppendCodesWord(&list, digits, 0, qvTTS_CT_DIGIT, kTagNumberWord, -1, 0));
  for (int i = 0; i < kMaxWordsPerSentence; ++i) ASSERT_TRUE(AppendSpaceWord(&list, i));
  EXPECT_FALSE(AppendCodesWord(&list, digits, 2, qvTTS_CT_DIGIT, kTagNumberWord, -1, 0));
  EXPECT_EQ(list.count, kMaxWordsPerSentence);
}

}  // namespace
}  // namespace kvo::frontend
