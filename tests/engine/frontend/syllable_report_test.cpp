// From text to the syllables speech generation reports: the readings the
// front end chose reach SyllableProc as spellings of the voice's table.
#include <gtest/gtest.h>

#include "frontend_session.h"

namespace frontend_test {
namespace {

std::vector<std::string>* g_spellings = nullptr;

int RecordSyllable(void*, int32_t, const char*, int32_t, const char* spelling, int32_t length) {
  if (g_spellings != nullptr && length > 0) g_spellings->emplace_back(spelling, static_cast<size_t>(length));
  return 0;
}

TEST(SyllableReports, SpokenSyllablesFollowTheChosenReadings) {
  FrontEndSession session;
  ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
  std::vector<std::string> spellings;
  g_spellings = &spellings;
  session.Set(QVTTS_PARAM_SYLLABLE_PROC, reinterpret_cast<intptr_t>(&RecordSyllable));
  // Letters and punctuation report no syllable; 了 after 吃不 reads liao3;
  // 你好 is spoken with the third-tone change.
  const int result = session.Speak("你好 x，吃不了。");
  g_spellings = nullptr;
  ASSERT_EQ(result, QVTTS_ERR_OK);
  EXPECT_EQ(spellings, (std::vector<std::string>{"ni2", "hao3", "chi1", "bu4", "liao3"}));
}

}  // namespace
}  // namespace frontend_test
