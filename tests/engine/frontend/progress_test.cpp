// Progress spans and word reports against the bytes of the input, however
// the input is cut into chunks.
#include <gtest/gtest.h>

#include "frontend_session.h"
#include "progress_checks.h"

namespace frontend_test {
namespace {

std::string MixedText() {
  std::string text;
  for (int i = 0; i < 40; ++i) {
    text += "我们今天去银行，他是银行行长。";
    text += "Hello 研究生命起源！\n";
    text += "孩子长大了；结婚的和尚未结婚的。";
  }
  return text;
}

TEST(Progress, SpansTileTheTextInAnyChunkSize) {
  const std::string text = MixedText();
  std::string reference;
  for (size_t chunk : {1024u, 7u, 1u}) {
    SCOPED_TRACE(chunk);
    FrontEndSession session;
    ASSERT_EQ(session.init_result(), QVTTS_ERR_OK);
    ASSERT_EQ(session.Speak(text, chunk), QVTTS_ERR_OK);
    ASSERT_FALSE(session.progress.empty());
    ExpectSpansTileText(session, text.size());
    // The words do not depend on where the chunks were cut.
    if (reference.empty()) {
      reference = session.Segmentation();
    } else {
      EXPECT_EQ(session.Segmentation(), reference);
    }
    // Every reported word lies inside the text, in order.
    int32_t previous_end = 0;
    for (const Span& span : session.spans) {
      EXPECT_GE(span.begin, previous_end);
      previous_end = span.begin + span.length;
    }
    EXPECT_LE(previous_end, static_cast<int32_t>(text.size()));
  }
}

}  // namespace
}  // namespace frontend_test
