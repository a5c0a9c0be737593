#include "english/english_tables.h"

#include <cstring>

namespace kvo::english {

const char* const kSymbols[kSymbolCount] = {
    "0",  "H-H%", "H-L%", "L-H%", "L-L%",    "NONE",    "aa", "ae",  "ah", "ao",  "aux", "aw",   "ax", "axr",
    "ay", "b",    "brth", "cc",   "ch",      "content", "d",  "det", "dh", "dx",  "eh",  "el",   "em", "en",
    "er", "ey",   "f",    "g",    "h#",      "hh",      "hv", "ih",  "in", "ix",  "iy",  "jh",   "k",  "l",
    "m",  "md",   "n",    "ng",   "novowel", "nx",      "ow", "oy",  "p",  "pau", "pps", "punc", "r",  "s",
    "sh", "t",    "th",   "to",   "uh",      "uw",      "v",  "w",   "wp", "x",   "y",   "z",    "zh", "6",
};

int SymbolIndex(const char* name) {
  int lo = 0, hi = kSymbolCount - 2;  // "6" at the end is outside the sorted part
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = std::strcmp(kSymbols[mid], name);
    if (c == 0) return mid;
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return -1;
}

namespace {

bool InList(const char* word, const char* const* list) {
  for (; *list != nullptr; ++list)
    if (std::strcmp(*list, word) == 0) return true;
  return false;
}

const char* const kVoiced[] = {"aa", "ae", "ah", "ao", "aw", "ax", "axr", "ay", "b",  "d",  "dh",   "dx", "eh",
                               "el", "em", "en", "er", "ey", "g",  "ih",  "in", "ix", "iy", "l",    "m",  "n",
                               "ng", "ow", "oy", "r",  "uh", "uw", "v",   "w",  "y",  "zh", nullptr};
const char* const kVoiceless[] = {"ch", "f", "hh", "k", "p", "s", "sh", "th", "6", nullptr};
const char* const kOther[] = {"brth", "h#", "pau", "t", "z", nullptr};
const char* const kVowels[] = {"aa", "ae", "ah", "ao", "aw", "ax", "axr", "ay", "eh", "el", "em",
                               "en", "er", "ey", "ih", "ix", "iy", "ow",  "oy", "uh", "uw", nullptr};

struct WordClass {
  const char* symbol;
  const char* const* words;
};
const char* const kIn[] = {"of",    "for",   "in",   "on",      "that",    "with",    "by",      "at",
                           "from",  "as",    "if",   "against", "about",   "before",  "because", "under",
                           "after", "over",  "into", "while",   "without", "through", "new",     "between",
                           "among", "until", "per",  "up",      "down",    nullptr};
const char* const kTo[] = {"to", nullptr};
const char* const kDet[] = {"the",   "a",   "an",  "no",    "some", "this",    "each", "another", "those",
                            "every", "all", "any", "these", "both", "neither", "many", nullptr};
const char* const kMd[] = {"will", "may", "would", "can", "could", "should", "must", "ought", "might", nullptr};
const char* const kCc[] = {"and", "but", "or", "plus", "yet", "nor", nullptr};
const char* const kWp[] = {"who", "what", "where", "how", "when", nullptr};
const char* const kPps[] = {"her", "his", "their", "its", "our", "mine", nullptr};
const char* const kAux[] = {"is", "am", "are", "was", "were", "has", "have", "had", "be", nullptr};
const char* const kPunc[] = {".", ",", ":", ";", "\"", "'", "(", "?", ")", "!", nullptr};
const WordClass kClasses[] = {{"in", kIn}, {"to", kTo},   {"det", kDet}, {"md", kMd},    {"cc", kCc},
                              {"wp", kWp}, {"pps", kPps}, {"aux", kAux}, {"punc", kPunc}};

const char* const kIdentity[] = {"and",   "when", "or",     "but", "because", "which", "since", "yes",   "oh",
                                 "whose", "why",  "here's", "nor", "ah",      "em",    "more",  "about", "the",
                                 "an",    "a",    "be",     "all", "my",      "not",   "very",  "his",   "their",
                                 "then",  "been", "out",    "up",  "said",    "me",    nullptr};

}  // namespace

uint8_t SymbolVoicing(int symbol) {
  if (symbol < 0 || symbol >= kSymbolCount) return 255;
  const char* name = kSymbols[symbol];
  if (InList(name, kVoiced)) return 1;
  if (InList(name, kVoiceless)) return 0;
  if (InList(name, kOther)) return 3;
  return 255;
}

bool IsVowelSymbol(int symbol) { return symbol >= 0 && symbol < kSymbolCount && InList(kSymbols[symbol], kVowels); }

int WordClassSymbol(const char* word) {
  for (const WordClass& c : kClasses)
    if (InList(word, c.words)) return SymbolIndex(c.symbol);
  return kSymContent;
}

bool IsIdentityWord(const char* word) { return InList(word, kIdentity); }

const int32_t kTagTransitions[kTagCount][kTagCount] = {
    {59819, 44772, 48104, 45719, 39250, 44529, 43114, 44301, 41464, 44760, 43046, 45952},
    {42231, 49436, 50107, 54647, 44202, 51414, 30932, 47269, 51030, 53713, 46119, 43097},
    {38851, 46814, 43967, 59245, 41218, 45846, 24074, 40817, 45315, 50362, 39437, 50904},
    {49539, 52519, 51542, 52103, 44526, 49335, 29449, 44113, 52171, 49078, 50473, 46572},
    {45381, 47415, 48451, 47125, 49122, 47873, 34764, 47885, 51348, 54059, 48118, 53999},
    {40633, 41401, 42751, 47464, 44376, 49280, 25536, 46560, 49787, 52362, 39551, 58360},
    {49631, 45208, 51177, 42587, 38626, 44120, 49469, 41568, 34355, 59117, 35566, 43266},
    {37438, 49140, 55553, 51663, 46396, 51081, 28037, 42667, 46186, 42826, 50953, 52634},
    {32912, 42225, 50655, 52691, 41847, 52211, 20209, 33995, 33042, 40516, 55695, 54945},
    {61415, 35125, 37783, 37257, 33280, 39476, 21632, 37759, 35515, 41027, 35612, 40529},
    {34632, 41844, 34370, 28939, 45672, 55406, 19626, 23282, 24881, 38892, 28158, 59703},
    {41762, 44550, 43664, 52660, 43732, 42786, 24606, 49066, 54150, 55936, 36162, 51702},
};

}  // namespace kvo::english
