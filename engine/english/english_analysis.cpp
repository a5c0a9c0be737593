#include "english/english_analysis.h"

#include <cstring>

#include "english/english_tables.h"

namespace kvo::english {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Lower-case copy of a sentence token.
void TokenText(const char* text, const SentenceTokens& t, int i, char* out) {
  const int n = t.length[i];
  for (int k = 0; k < n; ++k) out[k] = Lower(text[t.start[i] + k]);
  out[n] = 0;
}

int Candidates(const EnglishResources& res, const char* token, PosCandidate* out) {
  for (const char* p = token; *p != 0; ++p) {
    if (!IsLetter(*p)) {
      out[0] = {static_cast<int8_t>(*p >= '0' && *p <= '9' ? kTagAdj : kTagUnc), 0};
      return 1;
    }
  }
  const int n = res.pos.Lookup(token, out, layout::kPosMaxCandidates);
  if (n > 0) return n;
  out[0] = {kTagSubst, 1};
  return 1;
}

}  // namespace

void TagParts(const EnglishResources& res, const char* text, SentenceTokens* tokens) {
  const int n = tokens->count;
  if (n <= 0) return;
  PosCandidate cand[kMaxSentenceTokens][layout::kPosMaxCandidates];
  int cand_count[kMaxSentenceTokens];
  int32_t score[kMaxSentenceTokens][layout::kPosMaxCandidates];
  int8_t back[kMaxSentenceTokens][layout::kPosMaxCandidates];
  char word[kTokenBytes];
  for (int i = 0; i < n; ++i) {
    TokenText(text, *tokens, i, word);
    cand_count[i] = Candidates(res, word, cand[i]);
    for (int c = 0; c < cand_count[i]; ++c) {
      back[i][c] = -1;
      if (i == 0) {
        score[i][c] = cand[i][c].score;
        continue;
      }
      int32_t best = 0;
      int arg = -1;
      for (int p = 0; p < cand_count[i - 1]; ++p) {
        const int32_t v = kTagTransitions[cand[i - 1][p].tag][cand[i][c].tag] + score[i - 1][p];
        if (arg < 0 || v >= best) {  // on equal sums the later predecessor wins
          best = v;
          arg = p;
        }
      }
      score[i][c] = cand[i][c].score + best;
      back[i][c] = static_cast<int8_t>(arg);
    }
  }
  int k = 0;
  for (int c = 1; c < cand_count[n - 1]; ++c)
    if (score[n - 1][c] > score[n - 1][k]) k = c;
  for (int i = n - 1; i >= 0; --i) {
    tokens->tag[i] = cand[i][k].tag;
    k = i > 0 ? back[i][k] : 0;
    if (k < 0) k = 0;
  }
}

void PredictBreaks(const EnglishResources& res, const char* text, SentenceTokens* tokens) {
  const int n = tokens->count;
  for (int i = 0; i < n; ++i) tokens->break_before[i] = 0;
  if (n <= 0 || !res.breaks.present()) return;
  auto tag_at = [&](int j) { return j >= 0 && j < n ? tokens->tag[j] : kNoWordTag; };
  auto length_at = [&](int j) -> int {
    if (j < 0 || j >= n) return 0;
    return tokens->length[j] > 0 ? tokens->length[j] : 1;
  };
  auto word_id = [&](int j) {
    if (j < 0 || j >= n) return -1;
    char w[kTokenBytes];
    TokenText(text, *tokens, j, w);
    if (!IsIdentityWord(w) && tokens->tag[j] != kTagPrep) return -1;
    return res.breaks.WordId(w);
  };
  int last = 0;
  int blocked = n > 1 ? 2 : 0;  // no break before the first two tokens
  for (int i = 0; i < n; ++i) {
    int32_t a = 0, b = 0;
    const BreakModel& m = res.breaks;
    m.Add(0, tag_at(i), &a, &b);
    for (int k = 1; k <= 3; ++k) {
      m.Add(k, tag_at(i - k), &a, &b);
      m.Add(3 + k, tag_at(i + k), &a, &b);
    }
    m.Add(13, tokens->length[i], &a, &b);
    m.Add(14, length_at(i - 1), &a, &b);
    m.Add(15, length_at(i + 1), &a, &b);
    m.Add(16, length_at(i - 2), &a, &b);
    m.Add(17, length_at(i + 2), &a, &b);
    m.Add(18, length_at(i - 3), &a, &b);
    m.Add(19, length_at(i + 3), &a, &b);
    m.Add(20, i, &a, &b);
    m.Add(21, n, &a, &b);
    m.Add(25, i - last, &a, &b);
    for (int f = 7, off = 0; f <= 9; ++f, off = off == 0 ? -1 : 1) {
      const int id = word_id(i + off);
      if (id >= 0) m.Add(f, id, &a, &b);
    }
    m.Add(10, i + 1 < n && tokens->tag[i + 1] == kTagStop ? 1 : 0, &a, &b);
    m.Add(11, i > 0 && tokens->tag[i - 1] == kTagStop ? 1 : 0, &a, &b);
    if (tokens->tag[i] == kTagStop) {
      const uint8_t first = tokens->length[i] > 0 ? static_cast<uint8_t>(text[tokens->start[i]]) : ',';
      m.Add(12, first, &a, &b);
    }
    if (b >= a && i >= blocked) {
      tokens->break_before[i] = 1;
      last = i;
      blocked = i + 3;  // nor before the two tokens after a break
    }
  }
}

// ---- Pronunciation and syllables ----

namespace {

int Sonority(int symbol) {
  if (symbol == kSymPau) return 5;
  const char c = kSymbols[symbol][0];
  switch (c) {
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
      return 5;
    case 'w':
    case 'y':
    case 'l':
    case 'r':
      return 4;
    case 'n':
    case 'm':
      return 3;
    case 'b':
    case 'd':
    case 'g':
    case 'j':
    case 'v':
    case 'z':
      return 2;
    default:
      return 1;
  }
}

}  // namespace

void Syllabify(const uint8_t* phones, int count, EnglishWord* word) {
  word->syllable_count = 0;
  // Where a syllable ends: after the last phone, before a pause, after the
  // fifth phone, and between two vowels before the longest onset of rising
  // sonority (at most three consonants) in front of the second vowel.
  bool cut_after[layout::kPronMaxPhones] = {};
  int prev_vowel = -1;
  for (int i = 0; i < count && i < layout::kPronMaxPhones; ++i) {
    const int symbol = phones[i] & ~layout::kPronStressFlag;
    if (i + 1 < count && (phones[i + 1] & ~layout::kPronStressFlag) == kSymPau) cut_after[i] = true;
    if (!IsVowelSymbol(symbol)) continue;
    if (prev_vowel >= 0) {
      int onset = i;
      while (onset - 1 > prev_vowel && i - (onset - 1) <= 3) {
        const int c = phones[onset - 1] & ~layout::kPronStressFlag;
        const int after = phones[onset] & ~layout::kPronStressFlag;
        if (IsVowelSymbol(c) || Sonority(c) >= Sonority(after)) break;
        --onset;
      }
      cut_after[onset - 1] = true;
    }
    prev_vowel = i;
  }
  int open = 0;
  bool stressed = false;
  Syllable current{};
  for (int i = 0; i < count && i < layout::kPronMaxPhones; ++i) {
    const int symbol = phones[i] & ~layout::kPronStressFlag;
    if (symbol >= kSymbolCount - 1) continue;
    current.phones[open++] = static_cast<uint8_t>(symbol);
    stressed = stressed || (phones[i] & layout::kPronStressFlag) != 0;
    if (i == count - 1 || open == kSyllablePhones || cut_after[i]) {
      if (word->syllable_count >= kMaxSyllables) return;
      current.info = static_cast<uint8_t>(open | (stressed ? kSyllableStressed : 0));
      word->syllables[word->syllable_count++] = current;
      current = Syllable{};
      open = 0;
      stressed = false;
    }
  }
}

namespace {

// The trees may leave every vowel of a word unstressed; a word is spoken
// with one stressed syllable at least, so its first vowel takes the stress.
void StressSomeVowel(PhoneString* phones) {
  int first_vowel = -1;
  for (int i = 0; i < phones->count; ++i) {
    if (phones->phones[i] & layout::kPronStressFlag) return;
    if (first_vowel < 0 && IsVowelSymbol(phones->phones[i])) first_vowel = i;
  }
  if (first_vowel >= 0) phones->phones[first_vowel] |= layout::kPronStressFlag;
}

}  // namespace

void Pronounce(const EnglishResources& res, EnglishWordList* words) {
  for (int i = 0; i < words->count; ++i) {
    EnglishWord& w = words->words[i];
    w.syllable_count = 0;
    PhoneString phones{};
    if (res.exceptions.Lookup(w.word, w.tag, &phones) || res.lexicon.Lookup(w.word, w.tag, &phones)) {
      Syllabify(phones.phones, phones.count, &w);
    } else if (res.lts.Predict(w.word, &phones)) {
      StressSomeVowel(&phones);
      Syllabify(phones.phones, phones.count, &w);
    }
  }
}

// ---- Post-lexical rules ----

namespace {

bool IsSibilant(int s) {
  const char* n = kSymbols[s];
  return !std::strcmp(n, "s") || !std::strcmp(n, "z") || !std::strcmp(n, "sh") || !std::strcmp(n, "zh") ||
         !std::strcmp(n, "ch") || !std::strcmp(n, "jh");
}
bool IsVoiceless(int s) {
  const char* n = kSymbols[s];
  static const char* const kList[] = {"p", "t", "k", "f", "th", "s", "sh", "ch", "hh"};
  for (const char* v : kList)
    if (!std::strcmp(n, v)) return true;
  return false;
}

int LastPhone(const EnglishWord& w) {
  if (w.syllable_count == 0) return -1;
  const Syllable& s = w.syllables[w.syllable_count - 1];
  const int n = s.info & kSyllableCountMask;
  return n > 0 ? s.phones[n - 1] : -1;
}

// Puts "ax" before the first phone of a one-syllable clitic.
void InsertSchwa(EnglishWord* w) {
  Syllable& s = w->syllables[0];
  const int n = s.info & kSyllableCountMask;
  if (n >= kSyllablePhones) return;
  std::memmove(s.phones + 1, s.phones, static_cast<size_t>(n));
  s.phones[0] = kSymAx;
  s.info = static_cast<uint8_t>((s.info & ~kSyllableCountMask) | (n + 1));
}

}  // namespace

void ApplyPostLexicalRules(EnglishWordList* words) {
  for (int i = 0; i < words->count; ++i) {
    EnglishWord& w = words->words[i];
    if (w.syllable_count == 0) continue;
    if (std::strcmp(w.word, "the") == 0 && i + 1 < words->count && words->words[i + 1].syllable_count > 0 &&
        IsVowelSymbol(words->words[i + 1].syllables[0].phones[0])) {
      Syllable& s = w.syllables[w.syllable_count - 1];
      for (int k = 0; k < (s.info & kSyllableCountMask); ++k)
        if (s.phones[k] == kSymAx) s.phones[k] = kSymIy;
    }
    const int before = i > 0 ? LastPhone(words->words[i - 1]) : -1;
    if (before < 0) continue;
    if (std::strcmp(w.word, "'s") == 0) {
      if (IsSibilant(before)) {
        InsertSchwa(&w);
      } else if (IsVoiceless(before)) {
        Syllable& s = w.syllables[0];
        for (int k = 0; k < (s.info & kSyllableCountMask); ++k)
          if (s.phones[k] == kSymZ) s.phones[k] = kSymS;
      }
    } else if ((!std::strcmp(w.word, "'ve") || !std::strcmp(w.word, "'ll") || !std::strcmp(w.word, "'d")) &&
               !IsVowelSymbol(before)) {
      InsertSchwa(&w);
    }
  }
}

// ---- Accents and tones ----

namespace {

// A syllable of the chunk with what the trees and labels ask about it.
struct SyllableRef {
  int word;
  int index_in_word;
  bool stressed;
  bool accented;
  int phones;
};

enum Feature : uint8_t { kFeatWordClass, kFeatStress, kFeatBreak, kFeatLeaf };

// Tree node: a question (feature of the syllable or word at offset equals
// value) with its yes and no nodes, or a leaf with its symbol.
struct TreeNode {
  uint8_t feature;
  int8_t offset;
  int16_t value;
  uint8_t yes;
  uint8_t no;
};

// Accent: stressed syllables of content words.
const TreeNode kAccentTree[] = {
    {kFeatStress, 0, 1, 1, 3},
    {kFeatWordClass, 0, kSymContent, 2, 3},
    {kFeatLeaf, 0, 1, 0, 0},  // accented
    {kFeatLeaf, 0, kSymNone, 0, 0},
};
// Tone: a falling boundary tone at the end of the chunk.
const TreeNode kToneTree[] = {
    {kFeatBreak, 0, 4, 1, 2},
    {kFeatLeaf, 0, kSymLL, 0, 0},
    {kFeatLeaf, 0, kSymNone, 0, 0},
};

int FeatureValue(const EnglishWordList& words, const SyllableRef* syl, int count, int s, const TreeNode& q) {
  const int j = s + q.offset;
  switch (q.feature) {
    case kFeatWordClass: {
      const int w = syl[s].word + q.offset;
      return w >= 0 && w < words.count ? WordClassSymbol(words.words[w].word) : kSymZero;
    }
    case kFeatStress:
      return j >= 0 && j < count && syl[j].stressed ? 1 : 0;
    case kFeatBreak:
      if (j < 0 || j >= count) return 0;
      if (j == count - 1) return 4;
      return syl[j + 1].word != syl[j].word ? 1 : 0;
    default:
      return 0;
  }
}

int WalkTree(const TreeNode* tree, int size, const EnglishWordList& words, const SyllableRef* syl, int count, int s) {
  int node = 0;
  for (int steps = 0; steps < size; ++steps) {
    const TreeNode& q = tree[node];
    if (q.feature == kFeatLeaf) return q.value;
    node = FeatureValue(words, syl, count, s, q) == q.value ? q.yes : q.no;
  }
  return kSymNone;
}

int CollectSyllables(const EnglishWordList& words, SyllableRef* out, int capacity) {
  int n = 0;
  for (int w = 0; w < words.count; ++w) {
    const EnglishWord& word = words.words[w];
    for (int k = 0; k < word.syllable_count && n < capacity; ++k) {
      const uint8_t info = word.syllables[k].info;
      out[n++] = {w, k, (info & kSyllableStressed) != 0, (info & kSyllableAccented) != 0, info & kSyllableCountMask};
    }
  }
  return n;
}

}  // namespace

int PredictAccents(EnglishWordList* words) {
  SyllableRef syl[kMaxWords * kMaxSyllables];
  const int count = CollectSyllables(*words, syl, kMaxWords * kMaxSyllables);
  int final_tone = kSymNone;
  for (int s = 0; s < count; ++s) {
    const int accent = WalkTree(kAccentTree, 4, *words, syl, count, s);
    const int tone = WalkTree(kToneTree, 3, *words, syl, count, s);
    if (accent != kSymNone || tone != kSymNone) {
      words->words[syl[s].word].syllables[syl[s].index_in_word].info |= kSyllableAccented;
    }
    if (tone != kSymNone) final_tone = tone;
  }
  return final_tone;
}

void DropSilentWords(EnglishWordList* words) {
  int kept = 0;
  for (int i = 0; i < words->count; ++i) {
    if (words->words[i].syllable_count == 0) continue;
    if (kept != i) words->words[kept] = words->words[i];
    ++kept;
  }
  words->count = kept;
  for (int i = 0; i < kept; ++i) words->words[i].pause_before = i == 0 ? 1 : 0;
}

// ---- Items and labels ----

namespace {

constexpr int8_t kNotApplicable = -1;  // 0xFF

int8_t Byte(int v) { return static_cast<int8_t>(v < 0 ? 0 : v > 254 ? 254 : v); }

}  // namespace

int MakeItems(const EnglishWordList& words, int final_tone, const ItemParameters& params, qvAnalysisItem* items,
              int first, int capacity) {
  SyllableRef syl[kMaxWords * kMaxSyllables];
  const int nsyl = CollectSyllables(words, syl, kMaxWords * kMaxSyllables);
  const int nwords = words.count;
  // Phones of the chunk, a pause first: (syllable, position) or -1 for the pause.
  struct PhoneRef {
    int syllable;
    int position;
    int symbol;
  };
  constexpr int kMaxPhones = kBatchItemCount;
  PhoneRef ph[kMaxPhones];
  int nph = 0;
  ph[nph++] = {-1, 0, kSymPau};
  for (int s = 0; s < nsyl && nph < kMaxPhones; ++s) {
    const Syllable& y = words.words[syl[s].word].syllables[syl[s].index_in_word];
    for (int k = 0; k < syl[s].phones && nph < kMaxPhones; ++k) ph[nph++] = {s, k, y.phones[k]};
  }
  bool content[kMaxWords];
  int word_class[kMaxWords];
  for (int w = 0; w < nwords; ++w) {
    word_class[w] = WordClassSymbol(words.words[w].word);
    content[w] = word_class[w] == kSymContent;
  }
  int count = 0;
  for (int p = 0; p < nph && first + count < capacity - 1; ++p) {
    int8_t* L = items[first + count].context;
    std::memset(L, kNotApplicable, kContextLabelBytes);
    auto phone_at = [&](int k) { return k >= 0 && k < nph ? ph[k].symbol : kSymPau; };
    for (int k = -2; k <= 2; ++k) L[2 + k] = Byte(phone_at(p + k));
    const int s = ph[p].syllable;
    const bool pause = s < 0;
    const int next_s = pause ? 0 : s + 1;
    if (!pause) {
      L[5] = Byte(ph[p].position + 1);
      L[6] = Byte(syl[s].phones - ph[p].position);
      if (s > 0) {
        L[7] = Byte(syl[s - 1].stressed);
        L[8] = Byte(syl[s - 1].accented);
        L[9] = Byte(syl[s - 1].phones);
      }
      L[10] = Byte(syl[s].stressed);
      L[11] = Byte(syl[s].accented);
      L[12] = Byte(syl[s].phones);
      const int w = syl[s].word;
      L[13] = Byte(syl[s].index_in_word + 1);
      L[14] = Byte(words.words[w].syllable_count - syl[s].index_in_word);
      L[15] = Byte(s + 1);
      L[16] = Byte(nsyl - s);
      int sb = 0, sa = 0, ab = 0, aa = 0, prev_st = -1, next_st = -1, prev_ac = -1, next_ac = -1;
      for (int j = 0; j < nsyl; ++j) {
        if (j < s) {
          sb += syl[j].stressed;
          ab += syl[j].accented;
          if (syl[j].stressed) prev_st = j;
          if (syl[j].accented) prev_ac = j;
        } else if (j > s) {
          sa += syl[j].stressed;
          aa += syl[j].accented;
          if (syl[j].stressed && next_st < 0) next_st = j;
          if (syl[j].accented && next_ac < 0) next_ac = j;
        }
      }
      L[17] = Byte(sb);
      L[18] = Byte(sa);
      L[19] = Byte(ab);
      L[20] = Byte(aa);
      L[21] = Byte(prev_st < 0 ? 0 : s - prev_st);
      L[22] = Byte(next_st < 0 ? 0 : next_st - s);
      L[23] = Byte(prev_ac < 0 ? 0 : s - prev_ac);
      L[24] = Byte(next_ac < 0 ? 0 : next_ac - s);
      int vowel = kSymNoVowel;
      const Syllable& y = words.words[w].syllables[syl[s].index_in_word];
      for (int k = 0; k < syl[s].phones; ++k)
        if (IsVowelSymbol(y.phones[k])) {
          vowel = y.phones[k];
          break;
        }
      L[25] = Byte(vowel);
    } else {
      L[10] = kSymX;
      L[11] = kSymX;
      L[25] = kSymNoVowel;
    }
    if (next_s < nsyl) {
      L[26] = Byte(syl[next_s].stressed);
      L[27] = Byte(syl[next_s].accented);
      L[28] = Byte(syl[next_s].phones);
    }
    const int w = pause ? -1 : syl[s].word;
    if (w > 0) {
      L[29] = Byte(word_class[w - 1]);
      L[30] = Byte(words.words[w - 1].syllable_count);
    }
    if (pause) {
      L[31] = kSymX;
    } else {
      L[31] = Byte(word_class[w]);
      L[32] = Byte(words.words[w].syllable_count);
      L[33] = Byte(w + 1);
      L[34] = Byte(nwords - w);
      int cb = 0, ca = 0, prev_c = -1, next_c = -1;
      for (int j = 0; j < nwords; ++j) {
        if (j < w && content[j]) {
          ++cb;
          prev_c = j;
        } else if (j > w && content[j]) {
          ++ca;
          if (next_c < 0) next_c = j;
        }
      }
      L[35] = Byte(cb);
      L[36] = Byte(ca);
      L[37] = Byte(prev_c < 0 ? 0 : w - prev_c);
      L[38] = Byte(next_c < 0 ? 0 : next_c - w);
    }
    const int nw = w + 1;
    if (nw < nwords) {
      L[39] = Byte(word_class[nw]);
      L[40] = Byte(words.words[nw].syllable_count);
    }
    // One chunk is one phrase: no phrase before or after it.
    L[41] = 0;
    L[42] = 0;
    if (!pause) {
      L[43] = Byte(nsyl);
      L[44] = Byte(nwords);
      L[45] = 1;
      L[46] = 1;
    }
    L[47] = pause ? 0 : Byte(final_tone);
    L[48] = 0;
    L[49] = 0;
    L[50] = Byte(nsyl);
    L[51] = Byte(nwords);
    L[52] = 1;

    qvAnalysisItem& item = items[first + count];
    const char* word = pause ? "" : words.words[w].word;
    item.character = pause ? ' ' : static_cast<uint8_t>(word[0]);
    item.unit = 0;
    item.flags = kItemFlagTerminator;
    if (count > 0 && !pause && ph[p - 1].syllable >= 0 && syl[ph[p - 1].syllable].word == w)
      item.flags |= kItemFlagSameNameAsPrevious;
    if (item.name != nullptr) {
      std::memset(item.name, 0, kItemNameBytes);
      std::strncpy(item.name, word, kItemNameBytes - 1);
    }
    item.language = kItemLanguageEnglish;
    item.label_count = 1;
    item.lexical_word = static_cast<int16_t>(w);
    item.pitch = params.pitch;
    item.speed = params.speed;
    item.volume = params.volume;
    ++count;
  }
  return count;
}

}  // namespace kvo::english
