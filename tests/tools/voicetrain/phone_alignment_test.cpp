// Our phones on the teacher's time axis: a clean case tiles the audio;
// misfits are refused with a reason, never crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "align/phone_alignment.h"

namespace {

using voicetrain::AlignPhones;
using voicetrain::LabelledPhone;
using voicetrain::PauseKind;
using voicetrain::TeacherAlignment;
using voicetrain::TeacherSyllable;
using voicetrain::Utterance;

LabelledPhone Phone(int syllable, PauseKind pause = PauseKind::kNone) {
  LabelledPhone p;
  p.syllable = syllable;
  p.pause = pause;
  return p;
}

// "ni3 hao3 ,": leading pause, n i, h ao, trailing pause.
Utterance NiHao() {
  Utterance u;
  u.id = "t";
  u.syllables = 2;
  u.phones = {Phone(0, PauseKind::kLeading), Phone(0), Phone(0), Phone(1), Phone(1), Phone(1, PauseKind::kTrailing)};
  return u;
}

TeacherAlignment Teacher() {
  TeacherAlignment t;
  t.rate = 16000;
  t.samples = 12000;
  TeacherSyllable a;
  a.start = 1600;
  a.end = 5600;
  a.phones = {{"n", 1600, 2800}, {"i", 2800, 5600}};
  TeacherSyllable b;
  b.start = 5600;
  b.end = 10000;
  b.phones = {{"X", 5800, 7000}, {"Au", 7000, 10000}};
  b.pauseStart = 10000;
  b.pauseEnd = 12000;
  t.syllables = {a, b};
  return t;
}

TEST(VoicetrainAlignment, CleanSentenceTilesTheAudio) {
  Utterance u = NiHao();
  std::string reason;
  ASSERT_TRUE(AlignPhones(Teacher(), 80, u, reason)) << reason;
  const int want[][2] = {{0, 20}, {20, 35}, {35, 70}, {70, 88}, {88, 125}, {125, 150}};
  for (size_t k = 0; k < u.phones.size(); ++k) {
    EXPECT_EQ(u.phones[k].start, want[k][0]) << k;
    EXPECT_EQ(u.phones[k].end, want[k][1]) << k;
  }
  // Equal state split, every frame in exactly one state.
  int covered = 0;
  for (int s = 0; s < voicetrain::kStates; ++s) {
    int a, b;
    voicetrain::StateFrames(u.phones[2], s, &a, &b);
    EXPECT_EQ(a, 35 + covered);
    covered += b - a;
  }
  EXPECT_EQ(covered, 35);
}

TEST(VoicetrainAlignment, MisfitsAreRefused) {
  const struct {
    const char* what;
    void (*spoil)(Utterance&, TeacherAlignment&);
  } cases[] = {
      {"teacher dropped a syllable", [](Utterance&, TeacherAlignment& t) { t.syllables.pop_back(); }},
      {"one teacher phone for initial and final",
       [](Utterance&, TeacherAlignment& t) { t.syllables[0].phones.pop_back(); }},
      {"a pause of ours where the teacher runs on",
       [](Utterance& u, TeacherAlignment&) { u.phones.insert(u.phones.begin() + 3, Phone(1, PauseKind::kLeading)); }},
      {"a teacher pause where ours has none",
       [](Utterance&, TeacherAlignment& t) {
         t.syllables[0].pauseStart = 5000;
         t.syllables[0].pauseEnd = 5600;
       }},
      {"three phones in a syllable",
       [](Utterance& u, TeacherAlignment&) { u.phones.insert(u.phones.begin() + 1, Phone(0)); }},
      {"no audio before the first sound",
       [](Utterance&, TeacherAlignment& t) {
         t.syllables[0].start = 0;
         t.syllables[0].phones[0].start = 0;
       }},
  };
  for (const auto& c : cases) {
    Utterance u = NiHao();
    TeacherAlignment t = Teacher();
    c.spoil(u, t);
    std::string reason;
    EXPECT_FALSE(AlignPhones(t, 80, u, reason)) << c.what;
    EXPECT_FALSE(reason.empty()) << c.what;
  }
}

TEST(VoicetrainAlignment, LabelFileSkipsBrokenRecords) {
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/voicetrain_labels_test.txt";
  const std::string label(128, 'f');
  {
    std::ofstream f(path);
    f << "U good 1 2\n"
      << "P 0 a1 21 0 0 " << label << "\n"
      << "P 0 a1 59 2 0 " << label << "\n"
      << "U short-label 1 1\nP 0 a1 21 0 0 ffff\n"
      << "U bad-syllable 1 1\nP 3 a1 21 0 0 " << label << "\n"
      << "U bad-hex 1 1\nP 0 a1 21 0 0 " << std::string(128, 'x') << "\n"
      << "garbage line\n"
      << "U last 1 1\nP 0 e4 37 0 0 " << label << "\n";
  }
  int malformed = 0;
  const auto utterances = voicetrain::ReadLabels(path, &malformed);
  EXPECT_EQ(malformed, 3);
  ASSERT_EQ(utterances.size(), 2u);
  EXPECT_EQ(utterances[0].id, "good");
  EXPECT_EQ(utterances[0].phones.size(), 2u);
  EXPECT_EQ(utterances[0].phones[1].pause, PauseKind::kTrailing);
  EXPECT_EQ(utterances[0].phones[0].label[0], -1);
  EXPECT_EQ(utterances[1].id, "last");
  std::remove(path.c_str());
}

TEST(VoicetrainAlignment, TeacherFileMustBeConsistent) {
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/voicetrain_align_test.align";
  const struct {
    const char* text;
    bool ok;
  } cases[] = {
      {"rate 16000\nsamples 100\nsyl 0 a1 0 100\nph 0 a 0 100\n", true},
      {"rate 16000\nsamples 100\nsyl 1 a1 0 100\n", false},  // index out of order
      {"rate 16000\nsamples 100\nph 0 a 0 100\n", false},    // phone before any syllable
      {"samples 100\nsyl 0 a1 0 100\n", false},              // no rate
      {"rate 16000\nsamples 100\nsyl 0 a1 0\n", false},      // truncated
      {"", false},
  };
  for (const auto& c : cases) {
    {
      std::ofstream f(path);
      f << c.text;
    }
    TeacherAlignment t;
    EXPECT_EQ(voicetrain::ReadTeacherAlignment(path, t), c.ok) << c.text;
  }
  std::remove(path.c_str());
}

}  // namespace
