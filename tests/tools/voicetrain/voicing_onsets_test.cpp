// A final's start moves back over the voiced tail of the voiceless initial
// before it, within its limit, and nowhere else.
#include <gtest/gtest.h>

#include <vector>

#include "align/phone_alignment.h"
#include "train/utterance_features.h"
#include "train/voicing_onsets.h"

namespace {

using voicetrain::LabelledPhone;
using voicetrain::MoveOnsetsToVoicing;
using voicetrain::Utterance;
using voicetrain::UtteranceFeatures;

constexpr int kVoicingByte = 53;

LabelledPhone Phone(int syllable, int voicing, int start, int end) {
  LabelledPhone p;
  p.syllable = syllable;
  p.label[kVoicingByte] = static_cast<int8_t>(voicing);
  p.start = start;
  p.end = end;
  return p;
}

TEST(VoicetrainOnsets, FinalsStartWhereTheVoiceStarts) {
  struct Case {
    const char* name;
    int initialVoicing;  // 0 voiceless, 2 sonorant
    int initialFrames;   // the initial spans [0, initialFrames)
    int voicedTail;      // its last frames the recording voices
    bool vowelVoiced;    // the vowel's first frame
    int finalSyllable;   // 0: same syllable as the initial
    int wantStart;       // the vowel's start afterwards
  } cases[] = {
      {"tail of three, limit two", 0, 9, 3, true, 0, 7},
      {"tail of one", 0, 9, 1, true, 0, 8},
      {"no voiced tail", 0, 9, 0, true, 0, 9},
      {"the initial keeps a frame per state", 0, 6, 3, true, 0, 5},
      {"voice does not go on into the vowel", 0, 9, 2, false, 0, 9},
      {"sonorant initials stay", 2, 9, 3, true, 0, 9},
      {"not across syllables", 0, 9, 3, true, 1, 9},
  };
  for (const Case& c : cases) {
    Utterance u;
    u.phones.push_back(Phone(0, c.initialVoicing, 0, c.initialFrames));
    u.phones.push_back(Phone(c.finalSyllable, 1, c.initialFrames, c.initialFrames + 10));
    UtteranceFeatures f;
    f.frames = c.initialFrames + 10;
    f.voiced.assign(static_cast<size_t>(f.frames), 1);
    for (int t = 0; t < c.initialFrames - c.voicedTail; ++t) f.voiced[static_cast<size_t>(t)] = 0;
    if (!c.vowelVoiced) f.voiced[static_cast<size_t>(c.initialFrames)] = 0;
    const int moved = MoveOnsetsToVoicing(u, f, 2);
    EXPECT_EQ(u.phones[1].start, c.wantStart) << c.name;
    EXPECT_EQ(u.phones[0].end, u.phones[1].start) << c.name;
    EXPECT_EQ(moved, c.wantStart != c.initialFrames ? 1 : 0) << c.name;
    EXPECT_EQ(u.phones[1].end, c.initialFrames + 10) << c.name;
  }
}

}  // namespace
