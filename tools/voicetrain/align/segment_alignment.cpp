#include "align/segment_alignment.h"

#include <cmath>

#include "english/english_tables.h"

namespace voicetrain {

std::string EnglishPhoneName(int id) {
  return id >= 0 && id < kvo::english::kSymbolCount ? kvo::english::kSymbols[id] : "";
}

bool AlignSegments(const TeacherAlignment& t, int hop, Utterance& u, std::string& reason) {
  const std::vector<TeacherSegment>& seg = t.segments;
  size_t k = 0;
  std::vector<int> end(u.phones.size(), -1);
  for (size_t i = 0; i < u.phones.size(); ++i) {
    const std::string name = EnglishPhoneName(u.phones[i].phone);
    const bool pause = name == "pau";
    if (pause != (u.phones[i].pause != PauseKind::kNone)) {
      reason = "pause label and phone disagree";
      return false;
    }
    if (k >= seg.size()) {
      reason = "teacher has fewer phones than ours";
      return false;
    }
    if (!pause && seg[k].name == "pau") {
      reason = "teacher pauses where our items do not";
      return false;
    }
    if (pause && seg[k].name != "pau") {
      reason = "no teacher pause where our items pause";
      return false;
    }
    if (seg[k].name != name) {
      reason = "teacher phone sequence differs from ours";
      return false;
    }
    end[i] = seg[k].end;
    ++k;
  }
  // What remains may only be the teacher's closing pause.
  if (k + 1 < seg.size() || (k + 1 == seg.size() && seg[k].name != "pau")) {
    reason = "teacher has more phones than ours";
    return false;
  }
  int previous = 0;
  for (size_t i = 0; i < u.phones.size(); ++i) {
    LabelledPhone& p = u.phones[i];
    p.start = previous;
    p.end = static_cast<int>(std::lround(double(end[i]) / hop));
    if (p.end <= p.start) {
      reason = "phone shorter than one frame";
      return false;
    }
    previous = p.end;
  }
  return true;
}

}  // namespace voicetrain
