#include "align/phone_alignment.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace voicetrain {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ParsePhone(std::istringstream& in, LabelledPhone& p) {
  int pause = 0, pauseMs = 0;
  std::string hex;
  if (!(in >> p.syllable >> p.spelling >> p.phone >> pause >> pauseMs >> hex)) return false;
  if (pause < 0 || pause > 2 || hex.size() != 2 * kLabelBytes || p.phone < 0 || p.phone > 255) return false;
  p.pause = static_cast<PauseKind>(pause);
  for (int k = 0; k < kLabelBytes; ++k) {
    const int hi = HexDigit(hex[2 * k]), lo = HexDigit(hex[2 * k + 1]);
    if (hi < 0 || lo < 0) return false;
    p.label[k] = static_cast<int8_t>(static_cast<uint8_t>(hi * 16 + lo));
  }
  return true;
}

}  // namespace

std::vector<Utterance> ReadLabels(const std::string& path, int* malformed) {
  std::vector<Utterance> out;
  *malformed = 0;
  std::ifstream in(path);
  bool broken = false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "U") {
      if (!out.empty() && broken) {
        out.pop_back();
        ++*malformed;
      }
      broken = false;
      Utterance u;
      int phones = 0;
      if (!(words >> u.id >> u.syllables >> phones) || u.syllables <= 0) broken = true;
      out.push_back(u);
    } else if (kind == "P" && !out.empty()) {
      LabelledPhone p;
      if (!ParsePhone(words, p) || p.syllable < 0 || p.syllable >= out.back().syllables)
        broken = true;
      else
        out.back().phones.push_back(p);
    }
  }
  if (!out.empty() && broken) {
    out.pop_back();
    ++*malformed;
  }
  return out;
}

bool ReadTeacherAlignment(const std::string& path, TeacherAlignment& out) {
  out = TeacherAlignment();
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream w(line);
    std::string kind;
    w >> kind;
    if (kind == "rate") {
      w >> out.rate;
    } else if (kind == "samples") {
      w >> out.samples;
    } else if (kind == "syl") {
      TeacherSyllable s;
      size_t index = 0;
      if (!(w >> index >> s.pinyin >> s.start >> s.end) || index != out.syllables.size()) return false;
      out.syllables.push_back(s);
    } else if (kind == "seg") {
      TeacherSegment seg;
      size_t index = 0;
      if (!(w >> index >> seg.name >> seg.start >> seg.end) || index != out.segments.size() || seg.end < seg.start)
        return false;
      if (!out.segments.empty() && seg.start != out.segments.back().end) return false;
      out.segments.push_back(seg);
    } else if (kind == "ph" || kind == "pause") {
      size_t index = 0;
      if (!(w >> index) || index + 1 != out.syllables.size()) return false;
      TeacherSyllable& s = out.syllables.back();
      if (kind == "ph") {
        TeacherSegment seg;
        if (!(w >> seg.name >> seg.start >> seg.end)) return false;
        s.phones.push_back(seg);
      } else if (!(w >> s.pauseStart >> s.pauseEnd)) {
        return false;
      }
    }
  }
  const bool one = out.syllables.empty() != out.segments.empty();
  return out.rate > 0 && out.samples > 0 && one && (out.segments.empty() || out.segments.back().end <= out.samples);
}

bool AlignPhones(const TeacherAlignment& t, int hop, Utterance& u, std::string& reason) {
  const int n = static_cast<int>(t.syllables.size());
  if (n != u.syllables) {
    reason = "teacher syllable count differs from ours";
    return false;
  }
  // Sample spans per phone.
  std::vector<int> start(u.phones.size(), -1), end(u.phones.size(), -1);
  // Pause phones between syllables i-1 and i share the gap between them.
  auto gapPhones = [&](int i, std::vector<size_t>& list) {
    list.clear();
    for (size_t k = 0; k < u.phones.size(); ++k) {
      const LabelledPhone& p = u.phones[k];
      if ((p.pause == PauseKind::kTrailing && p.syllable == i - 1) ||
          (p.pause == PauseKind::kLeading && p.syllable == i))
        list.push_back(k);
    }
  };
  std::vector<size_t> gap;
  for (int i = 0; i <= n; ++i) {
    const int from = i == 0 ? 0 : t.syllables[i - 1].end;
    int to = i == n ? t.samples : t.syllables[i].start;
    // The teacher starts its first word at 0 and its first sound later.
    if (i == 0 && !t.syllables[0].phones.empty()) to = t.syllables[0].phones[0].start;
    gapPhones(i, gap);
    if (gap.empty()) {
      // No pause of ours here: a short teacher gap joins the syllables.
      const bool teacherPause = i > 0 && i < n && t.syllables[i - 1].pauseStart >= 0;
      if (teacherPause) {
        reason = "teacher pauses where our items do not";
        return false;
      }
      continue;
    }
    if (to - from < static_cast<int>(gap.size()) * hop && i > 0 && i < n) {
      reason = "no teacher pause where our items pause";
      return false;
    }
    for (size_t g = 0; g < gap.size(); ++g) {
      start[gap[g]] = from + static_cast<int>((to - from) * static_cast<long>(g) / static_cast<long>(gap.size()));
      end[gap[g]] = from + static_cast<int>((to - from) * static_cast<long>(g + 1) / static_cast<long>(gap.size()));
    }
  }
  std::vector<size_t> leadingGap;
  gapPhones(0, leadingGap);
  for (int i = 0; i < n; ++i) {
    const TeacherSyllable& s = t.syllables[i];
    std::vector<size_t> own;
    for (size_t k = 0; k < u.phones.size(); ++k)
      if (u.phones[k].syllable == i && u.phones[k].pause == PauseKind::kNone) own.push_back(k);
    // Without a pause of ours the syllable reaches the neighbour.
    int from = s.start, to = s.end;
    gapPhones(i, gap);
    if (gap.empty()) from = i == 0 ? 0 : t.syllables[i - 1].end;
    gapPhones(i + 1, gap);
    if (gap.empty() && i == n - 1) to = t.samples;
    if (i == 0 && !leadingGap.empty() && !s.phones.empty()) from = s.phones[0].start;
    if (own.size() == 1) {
      start[own[0]] = from;
      end[own[0]] = to;
    } else if (own.size() == 2) {
      if (s.phones.size() < 2) {
        reason = "one teacher phone for our initial and final";
        return false;
      }
      const int split = s.phones[1].start;
      start[own[0]] = from;
      end[own[0]] = split;
      start[own[1]] = split;
      end[own[1]] = to;
    } else {
      reason = "syllable with no or more than two phones";
      return false;
    }
  }
  for (size_t k = 0; k < u.phones.size(); ++k) {
    if (start[k] < 0 || end[k] <= start[k]) {
      reason = "phone without teacher time";
      return false;
    }
    u.phones[k].start = static_cast<int>(std::lround(double(start[k]) / hop));
    u.phones[k].end = static_cast<int>(std::lround(double(end[k]) / hop));
    if (u.phones[k].end <= u.phones[k].start) {
      reason = "phone shorter than one frame";
      return false;
    }
    if (k > 0 && u.phones[k].start != u.phones[k - 1].end) {
      reason = "phones do not tile the audio";
      return false;
    }
  }
  return true;
}

void StateFrames(const LabelledPhone& p, int s, int* first, int* end) {
  if (p.statesAligned) {
    *first = s == 0 ? p.start : p.stateEnd[s - 1];
    *end = p.stateEnd[s];
    return;
  }
  const int frames = p.end - p.start;
  *first = p.start + frames * s / kStates;
  *end = p.start + frames * (s + 1) / kStates;
}

}  // namespace voicetrain
