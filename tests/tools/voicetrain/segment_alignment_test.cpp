// English phones on the teacher's segment times: a matching utterance
// tiles the audio up to our last phone; teacher readings that differ from
// ours are refused with a reason; the .align reader takes segments.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "align/phone_alignment.h"
#include "align/segment_alignment.h"
#include "english/english_tables.h"

namespace {

using voicetrain::AlignSegments;
using voicetrain::LabelledPhone;
using voicetrain::PauseKind;
using voicetrain::TeacherAlignment;
using voicetrain::TeacherSegment;
using voicetrain::Utterance;

constexpr int kHop = 80;

// Our phones by name ("pau" a leading pause of the word after it).
Utterance Ours(const std::vector<std::string>& names) {
  Utterance u;
  u.id = "t";
  u.syllables = 2;
  for (const std::string& n : names) {
    LabelledPhone p;
    p.phone = kvo::english::SymbolIndex(n.c_str());
    p.pause = n == "pau" ? PauseKind::kLeading : PauseKind::kNone;
    u.phones.push_back(p);
  }
  return u;
}

// Teacher segments by name and end sample, consecutive from 0.
TeacherAlignment Teacher(const std::vector<std::pair<std::string, int>>& segments) {
  TeacherAlignment t;
  t.rate = 16000;
  int start = 0;
  for (const auto& [name, end] : segments) {
    t.segments.push_back(TeacherSegment{name, start, end});
    start = end;
  }
  t.samples = start;
  return t;
}

// "cat , sat": pau k ae t pau s ae t, then the teacher's closing pause.
const std::vector<std::pair<std::string, int>> kCatSat = {{"pau", 1600}, {"k", 2400},   {"ae", 4000},
                                                          {"t", 4800},   {"pau", 6400}, {"s", 7600},
                                                          {"ae", 9200},  {"t", 10000},  {"pau", 12000}};

TEST(SegmentAlignment, MatchingPhonesTakeTheTeachersEndTimes) {
  Utterance u = Ours({"pau", "k", "ae", "t", "pau", "s", "ae", "t"});
  std::string reason;
  ASSERT_TRUE(AlignSegments(Teacher(kCatSat), kHop, u, reason)) << reason;
  const int ends[] = {20, 30, 50, 60, 80, 95, 115, 125};
  int start = 0;
  for (size_t k = 0; k < u.phones.size(); ++k) {
    EXPECT_EQ(u.phones[k].start, start) << k;
    EXPECT_EQ(u.phones[k].end, ends[k]) << k;
    start = ends[k];
  }
}

struct Misfit {
  const char* what;
  std::vector<std::string> ours;
  std::vector<std::pair<std::string, int>> teacher;
  const char* reason;
};

TEST(SegmentAlignment, MisfitsAreRefusedWithAReason) {
  const Misfit cases[] = {
      {"another vowel", {"pau", "k", "ah", "t", "pau", "s", "ae", "t"}, kCatSat, "phone sequence differs"},
      {"no pause of ours", {"pau", "k", "ae", "t", "s", "ae", "t"}, kCatSat, "teacher pauses where our items do not"},
      {"no teacher pause",
       {"pau", "k", "ae", "t", "pau", "s", "ae", "t"},
       {{"pau", 1600}, {"k", 2400}, {"ae", 4000}, {"t", 4800}, {"s", 7600}, {"ae", 9200}, {"t", 10000}},
       "no teacher pause where our items pause"},
      {"teacher longer", {"pau", "k", "ae", "t"}, kCatSat, "teacher has more phones"},
      {"teacher shorter",
       {"pau", "k", "ae", "t", "pau", "s", "ae", "t", "s"},
       {{"pau", 1600}, {"k", 2400}, {"ae", 4000}, {"t", 4800}, {"pau", 6400}, {"s", 7600}, {"ae", 9200}, {"t", 10000}},
       "teacher has fewer phones"},
      {"phone under a frame",
       {"pau", "k", "ae", "t"},
       {{"pau", 1600}, {"k", 1610}, {"ae", 4000}, {"t", 4800}, {"pau", 6000}},
       "shorter than one frame"},
  };
  for (const Misfit& c : cases) {
    SCOPED_TRACE(c.what);
    Utterance u = Ours(c.ours);
    std::string reason;
    EXPECT_FALSE(AlignSegments(Teacher(c.teacher), kHop, u, reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
  }
}

TEST(SegmentAlignment, AlignFilesWithSegmentsAreRead) {
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/segments.align";
  struct Case {
    const char* what;
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {"segments", "rate 16000\nsamples 5000\nseg 0 pau 0 1600\nseg 1 k 1600 2400\nseg 2 pau 2400 5000\n", true},
      {"gap between segments", "rate 16000\nsamples 5000\nseg 0 pau 0 1600\nseg 1 k 1700 2400\n", false},
      {"index out of order", "rate 16000\nsamples 5000\nseg 0 pau 0 1600\nseg 2 k 1600 2400\n", false},
      {"beyond the audio", "rate 16000\nsamples 2000\nseg 0 pau 0 1600\nseg 1 k 1600 2400\n", false},
      {"syllables and segments", "rate 16000\nsamples 5000\nsyl 0 ni3 0 1600\nseg 0 pau 0 1600\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      std::ofstream out(path);
      out << c.text;
    }
    TeacherAlignment t;
    EXPECT_EQ(voicetrain::ReadTeacherAlignment(path, t), c.ok);
    if (c.ok) {
      ASSERT_EQ(t.segments.size(), 3u);
      EXPECT_EQ(t.segments[1].name, "k");
      EXPECT_EQ(t.segments[1].end, 2400);
    }
  }
  std::remove(path.c_str());
}

}  // namespace
