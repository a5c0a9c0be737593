// Words made by normalisation keep the text position of what they read:
// progress spans still tile a text full of numbers and symbols, however the
// input is cut into chunks.
#include <gtest/gtest.h>

#include "frontend_session.h"
#include "progress_checks.h"

namespace frontend_test {
namespace {

std::string NumbersText() {
  std::string text;
  for (int i = 0; i < 30; ++i) {
    text += "电话13912345678，价格4599元；温度-10℃到18~25℃。";
    text += "增长了7.5%，×××说hao3！2008年8月，3/4的人在36路。\n";
    text += "身份证110101199001011234，账号6222020200112233445。";
  }
  return text;
}

TEST(NormalisedProgress, SpansTileTheTextInAnyChunkSize) {
  const std::string text = NumbersText();
  for (size_t chunk : {1024u, 5u}) {
    SCOPED_TRACE(chunk);
    FrontEndSession session;
    ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
    ASSERT_EQ(session.Speak(text, chunk), QVTTS_ERR_OK);
    ASSERT_FALSE(session.progress.empty());
    ExpectSpansTileText(session, text.size());
    // Item text positions never go back within a sentence.
    for (const SentenceResult& s : session.sentences) {
      for (size_t i = 1; i + 1 < s.items.size(); ++i) EXPECT_GE(s.items[i].text_position, s.items[i - 1].text_position);
    }
  }
}

}  // namespace
}  // namespace frontend_test
