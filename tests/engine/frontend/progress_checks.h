// The check both progress tests make: the progress spans of one reading tile
// the text, from its first byte to its last, without gaps or empty spans.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "frontend_session.h"

namespace frontend_test {

inline void ExpectSpansTileText(const FrontEndSession& session, size_t text_bytes) {
  int32_t next = 0;
  for (const Span& span : session.progress) {
    EXPECT_EQ(span.begin, next);
    EXPECT_GT(span.length, 0);
    next = span.begin + span.length;
  }
  EXPECT_EQ(next, static_cast<int32_t>(text_bytes));
}

}  // namespace frontend_test
