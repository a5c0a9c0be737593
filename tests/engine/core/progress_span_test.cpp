// Progress spans from the front end's chunk-relative offsets.
#include <gtest/gtest.h>

#include "core/progress_span.h"

namespace {

TEST(EngineProgressSpan, AbsoluteSpanFromChunkOffsets) {
  const struct {
    const char* name;
    int32_t bytes_read, chunk, previous, first, end;
    int32_t begin, length;
  } cases[] = {
      {"inside the first chunk", 100, 100, 0, 10, 30, 10, 20},
      {"inside a later chunk", 300, 100, 100, 5, 50, 205, 45},
      {"carried, rebased offsets", 300, 100, 100, -30, 20, 170, 50},
      {"carried over several chunks", 7, 1, 1, -6, 1, 0, 7},
      {"carried, offsets of the previous chunk", 300, 100, 100, 70, 20, 170, 50},
      {"flush of the last chunk", 250, 50, 100, 10, 50, 210, 40},
  };
  for (const auto& c : cases) {
    const qvProgressSpan span = qvProgress_Span(c.bytes_read, c.chunk, c.previous, c.first, c.end);
    EXPECT_EQ(span.begin, c.begin) << c.name;
    EXPECT_EQ(span.length, c.length) << c.name;
  }
}

}  // namespace
