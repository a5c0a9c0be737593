#include "frontend/analysis/tag_tables.h"

namespace kvo::frontend {

namespace {

const char* const kTagNames[kTagNameCount] = {
    "ag",  "a",  "ad",  "an", "bg", "b",  "c",   "dg",  "d",   "dc",  "df", "e",  "f",  "g",   "h",   "i",
    "ia",  "ib", "id",  "in", "iv", "j",  "ja",  "jb",  "jd",  "jn",  "jv", "k",  "l",  "la",  "lb",  "ld",
    "ln",  "lv", "m",   "mg", "mq", "ng", "n",   "nr",  "nrf", "nrg", "ns", "nt", "nx", "nz",  "o",   "p",
    "qg",  "q",  "qb",  "qc", "qd", "qe", "qj",  "ql",  "qr",  "qt",  "qv", "qz", "rg", "r",   "rr",  "ry",
    "ryw", "rz", "rzw", "s",  "tg", "t",  "tt",  "u",   "ud",  "ue",  "ui", "ul", "uo", "us",  "uz",  "vg",
    "v",   "vd", "vi",  "vl", "vn", "vq", "vu",  "vx",  "w",   "wd",  "wf", "wj", "wk", "wky", "wkz", "wm",
    "wp",  "ws", "wt",  "wu", "ww", "wy", "wyy", "wyz", "x",   "y",   "z",  "zr", "zs"};

constexpr int16_t kTaggerTags[kTaggerTagCount] = {-1, -2, 1,  2,  0,  3,  5,  4,  6,  8,  7,  11, 12, 14,  15, 21, 27,
                                                  28, 34, 35, 38, 37, 39, 42, 43, 44, 45, 46, 47, 49, 61,  60, 67, 69,
                                                  68, 71, 72, -3, -4, 75, -5, 78, 80, 81, 79, 84, 88, 105, -6, 106};

}  // namespace

const char* TagName(int tag) { return tag >= 0 && tag < kTagNameCount ? kTagNames[tag] : nullptr; }

int TagNumberOfName(const char* name, int length) {
  for (int t = 0; t < kTagNameCount; ++t) {
    const char* n = kTagNames[t];
    int i = 0;
    while (i < length && name[i] != '\0' && n[i] == name[i]) ++i;
    if (n[i] == '\0' && (i == length || name[i] == '\0')) return t;
  }
  return 255;
}

int16_t LetterCodedTag(int tag) {
  const char* name = TagName(tag);
  if (name == nullptr) return 'w';
  return static_cast<int16_t>(static_cast<uint8_t>(name[0]) | (static_cast<uint8_t>(name[1]) << 8));
}

int TaggerTagIndex(int tag) {
  for (int i = 0; i < kTaggerTagCount; ++i)
    if (kTaggerTags[i] == tag) return i;
  return -1;
}

uint16_t TagTransitionCost(int earlier_tag, int later_tag) {
  const int row = TaggerTagIndex(earlier_tag), column = TaggerTagIndex(later_tag);
  if (row < 0 || column < 0) return kCostUnreachable;
  return kTagTransitionCost[row][column];
}

}  // namespace kvo::frontend
