#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/intake/code_pages.h"
#include "frontend/intake/internal_code.h"
#include "frontend/intake/text_decoder.h"

namespace {

using kvo::frontend::DecodeChunk;
using kvo::frontend::DecodeOutput;
using kvo::frontend::DecoderFinish;
using kvo::frontend::DecoderReset;
using kvo::frontend::DecoderState;

struct Decoded {
  std::vector<uint16_t> codes;
  std::vector<int64_t> offsets;
  bool operator==(const Decoded& o) const { return codes == o.codes && offsets == o.offsets; }
};

// Decodes bytes cut into chunks at the given positions, with a small output
// buffer so that output-full stops are exercised too.
Decoded Decode(int codePage, const std::string& bytes, const std::vector<size_t>& cuts, size_t outputCapacity = 3) {
  DecoderState state;
  DecoderReset(&state, codePage);
  Decoded result;
  std::vector<uint16_t> codes(outputCapacity);
  std::vector<int64_t> offsets(outputCapacity);
  size_t begin = 0;
  auto drain = [&](DecodeOutput& out) {
    result.codes.insert(result.codes.end(), codes.begin(), codes.begin() + static_cast<long>(out.count));
    result.offsets.insert(result.offsets.end(), offsets.begin(), offsets.begin() + static_cast<long>(out.count));
    out.count = 0;
  };
  std::vector<size_t> ends = cuts;
  ends.push_back(bytes.size());
  for (size_t end : ends) {
    const auto* chunk = reinterpret_cast<const uint8_t*>(bytes.data()) + begin;
    const size_t length = end - begin;
    size_t position = 0;
    while (position < length) {
      DecodeOutput out{codes.data(), offsets.data(), outputCapacity, 0};
      DecodeChunk(&state, chunk, length, &position, static_cast<int64_t>(begin), &out);
      drain(out);
    }
    begin = end;
  }
  DecodeOutput out{codes.data(), offsets.data(), outputCapacity, 0};
  EXPECT_TRUE(DecoderFinish(&state, &out));
  drain(out);
  return result;
}

struct Text {
  const char* what;
  int codePage;
  std::string bytes;
  std::vector<uint16_t> codes;
  std::vector<int64_t> offsets;
};

std::vector<Text> WellFormedTexts() {
  using kvo::frontend::kCodeUnconvertible;
  return {
      {"UTF-8 one to four bytes",
       kvo::frontend::kCodePageUtf8,
       "a\xC2\xB7\xE4\xB8\xAD\xF0\x9F\x98\x80z",
       {'a', 0xB7, 0x4E2D, kCodeUnconvertible, 'z'},
       {0, 1, 3, 6, 10}},
      {"UTF-16LE with a surrogate pair",
       kvo::frontend::kCodePageUtf16Le,
       std::string("\x2D\x4E\x3D\xD8\x00\xDE\x41\x00", 8),
       {0x4E2D, kCodeUnconvertible, 'A'},
       {0, 2, 6}},
      {"UTF-16BE", kvo::frontend::kCodePageUtf16Be, std::string("\x4E\x2D\x00\x41", 4), {0x4E2D, 'A'}, {0, 2}},
      {"GBK",
       kvo::frontend::kCodePageGbk,
       "a\xD6\xD0\xCE\xC4"
       "b\x81\x40",
       {'a', 0xD0D6, 0xC4CE, 'b', 0x4081},
       {0, 1, 3, 5, 6}},
      {"Big5", kvo::frontend::kCodePageBig5, "\xA4\xA4\xA4\xE5!", {0xA4A4, 0xE5A4, '!'}, {0, 2, 4}},
      {"code page 437 reads like GBK", kvo::frontend::kCodePageOem, "\xD6\xD0", {0xD0D6}, {0}},
  };
}

TEST(FrontendTextDecoder, DecodesEachCodePage) {
  for (const Text& t : WellFormedTexts()) {
    const Decoded d = Decode(t.codePage, t.bytes, {});
    EXPECT_EQ(d.codes, t.codes) << t.what;
    EXPECT_EQ(d.offsets, t.offsets) << t.what;
  }
}

// A chunk boundary at any byte, and chunks of any size, change nothing:
// split characters are completed and keep the offset of their first byte.
TEST(FrontendTextDecoder, ChunkBoundariesAnywhereGiveTheSameResult) {
  for (const Text& t : WellFormedTexts()) {
    const Decoded whole = Decode(t.codePage, t.bytes, {});
    for (size_t cut = 1; cut < t.bytes.size(); ++cut)
      EXPECT_EQ(Decode(t.codePage, t.bytes, {cut}), whole) << t.what << " cut at " << cut;
    for (size_t size = 1; size < t.bytes.size(); ++size) {
      std::vector<size_t> cuts;
      for (size_t at = size; at < t.bytes.size(); at += size) cuts.push_back(at);
      EXPECT_EQ(Decode(t.codePage, t.bytes, cuts), whole) << t.what << " chunks of " << size;
    }
  }
}

TEST(FrontendTextDecoder, MalformedInputReadsAsUnconvertible) {
  constexpr uint16_t X = kvo::frontend::kCodeUnconvertible;
  const Text cases[] = {
      {"UTF-8 overlong two-byte", kvo::frontend::kCodePageUtf8, "\xC0\xAF", {X, X}, {0, 1}},
      {"UTF-8 overlong three-byte",
       kvo::frontend::kCodePageUtf8,
       "\xE0\x80\xAF"
       "a",
       {X, X, X, 'a'},
       {0, 1, 2, 3}},
      {"UTF-8 encoded surrogate", kvo::frontend::kCodePageUtf8, "\xED\xA0\x80", {X, X, X}, {0, 1, 2}},
      {"UTF-8 cut by a new character",
       kvo::frontend::kCodePageUtf8,
       "\xE4\xB8"
       "b",
       {X, 'b'},
       {0, 2}},
      {"UTF-8 truncated at the end", kvo::frontend::kCodePageUtf8, "a\xE4\xB8", {'a', X}, {0, 1}},
      {"UTF-8 stray continuation", kvo::frontend::kCodePageUtf8, "\x80\xBF", {X, X}, {0, 1}},
      {"UTF-8 invalid bytes", kvo::frontend::kCodePageUtf8, "\xFE\xFF", {X, X}, {0, 1}},
      {"UTF-8 above U+10FFFF", kvo::frontend::kCodePageUtf8, "\xF4\x90\x80\x80", {X, X, X, X}, {0, 1, 2, 3}},
      {"UTF-16 lone high surrogate",
       kvo::frontend::kCodePageUtf16Le,
       std::string("\x00\xD8\x41\x00", 4),
       {X, 'A'},
       {0, 2}},
      {"UTF-16 lone low surrogate", kvo::frontend::kCodePageUtf16Le, std::string("\x00\xDC", 2), {X}, {0}},
      {"UTF-16 high surrogate at the end",
       kvo::frontend::kCodePageUtf16Be,
       std::string("\x00\x41\xD8\x3D", 4),
       {'A', X},
       {0, 2}},
      {"UTF-16 odd byte at the end", kvo::frontend::kCodePageUtf16Le, std::string("\x41\x00\x42", 3), {'A', X}, {0, 2}},
      {"GBK lead byte at the end", kvo::frontend::kCodePageGbk, "a\x81", {'a', X}, {0, 1}},
      {"GBK lead byte before a line end", kvo::frontend::kCodePageGbk, "\xB0\n", {X, '\n'}, {0, 1}},
      {"GBK bytes that never lead",
       kvo::frontend::kCodePageGbk,
       "\x80\xFF"
       "a",
       {X, X, 'a'},
       {0, 1, 2}},
  };
  for (const Text& t : cases) {
    const Decoded whole = Decode(t.codePage, t.bytes, {});
    EXPECT_EQ(whole.codes, t.codes) << t.what;
    EXPECT_EQ(whole.offsets, t.offsets) << t.what;
    for (size_t cut = 1; cut < t.bytes.size(); ++cut)
      EXPECT_EQ(Decode(t.codePage, t.bytes, {cut}), whole) << t.what << " cut at " << cut;
  }
}

TEST(FrontendTextDecoder, EveryByteSequenceIsSafe) {
  // All two- and three-byte sequences over interesting byte values, in every
  // code page: no crash, and every byte ends up in some code.
  const uint8_t values[] = {0x00, 0x0A, 0x41, 0x7F, 0x80, 0x81, 0xA1, 0xBF, 0xC0, 0xC2,
                            0xD8, 0xDC, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFE, 0xFF};
  const int pages[] = {65001, 1200, 1201, 936, 950};
  for (int page : pages) {
    for (uint8_t a : values)
      for (uint8_t b : values)
        for (uint8_t c : values) {
          const std::string bytes{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
          const Decoded d = Decode(page, bytes, {1});
          ASSERT_FALSE(d.codes.empty());
          ASSERT_EQ(d.offsets.front(), 0);
          for (size_t i = 1; i < d.offsets.size(); ++i) ASSERT_GT(d.offsets[i], d.offsets[i - 1]);
          ASSERT_LT(d.offsets.back(), 3);
        }
  }
}

}  // namespace
