// Training utterances: the phones and labels our engine issued
// (kvo-voicetrain-labels) put on the time axis of the teacher's audio
// (kvo-teacher-espeak's .align files). Any corpus whose aligner writes the
// same .align format can take the teacher's place.
#ifndef KVO_VOICETRAIN_PHONE_ALIGNMENT_H
#define KVO_VOICETRAIN_PHONE_ALIGNMENT_H

#include <cstdint>
#include <string>
#include <vector>

namespace voicetrain {

constexpr int kStates = 5;
constexpr int kLabelBytes = 64;

enum class PauseKind { kNone = 0, kLeading = 1, kTrailing = 2 };

struct LabelledPhone {
  int syllable = 0;      // index of its syllable in the utterance
  std::string spelling;  // of that syllable, "ni3"
  int phone = 0;
  PauseKind pause = PauseKind::kNone;
  int8_t label[kLabelBytes] = {};
  int start = 0;  // frames, [start, end) once aligned
  int end = 0;
  // Set by a state alignment: state s ends at frame stateEnd[s]
  // (stateEnd[kStates - 1] == end). Otherwise the states split equally.
  bool statesAligned = false;
  int stateEnd[kStates] = {};
};

struct Utterance {
  std::string id;
  int syllables = 0;
  std::vector<LabelledPhone> phones;
};

// Reads labels.txt; malformed records are skipped and counted.
std::vector<Utterance> ReadLabels(const std::string& path, int* malformed);

struct TeacherSegment {
  std::string name;
  int start = 0;
  int end = 0;
};

struct TeacherSyllable {
  std::string pinyin;
  int start = 0;
  int end = 0;
  std::vector<TeacherSegment> phones;
  int pauseStart = -1;  // a pause after the syllable, -1 none
  int pauseEnd = -1;
};

struct TeacherAlignment {
  int rate = 0;
  int samples = 0;
  std::vector<TeacherSyllable> syllables;
  // A teacher that gives phone segments instead (Flite's Segment
  // relation, "seg" lines): consecutive spans from sample 0.
  std::vector<TeacherSegment> segments;
};

bool ReadTeacherAlignment(const std::string& path, TeacherAlignment& out);

// Puts the phones on frames of `hop` samples. False with a short reason
// when the teacher's timing does not fit the labels (syllable counts, a
// syllable with initial and final but one teacher phone, pauses that do
// not match, phones without frames). A teacher with segments is aligned
// by AlignSegments (segment_alignment.h).
bool AlignPhones(const TeacherAlignment& teacher, int hop, Utterance& utterance, std::string& reason);

// Frames [first, end) of state `s` of a phone: the aligned boundaries, or
// an equal split.
void StateFrames(const LabelledPhone& phone, int s, int* first, int* end);

}  // namespace voicetrain

#endif
