// Word building: a lattice over each stretch of hanzi with lexicon words and
// the domain dictionary's phrases as edges (cheapest path by the cost scale
// of their frequencies), runs of
// other characters grouped, then one reading per word chosen by a Viterbi
// search over emission and tag-transition costs.
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/analysis/tag_tables.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

namespace {

constexpr int kMaxRun = kMaxWordChars;
constexpr uint32_t kTopFrequency = 2079997;

enum PieceKind : int8_t { kUnknownHanzi, kLexiconWord, kDomainWord, kRun, kReadingRun };

struct Piece {
  int16_t start;
  int16_t length;
  PieceKind kind;
};

bool IsHanzi(uint16_t code) { return IsGb2312Hanzi(code); }

int RunType(uint16_t code, uint16_t g) { return IsReadingCode(code, g) ? 2 : 1; }

bool HasDomain(const AnalysisResources& res) { return res.domain != nullptr && res.domain->open(); }

// Cheapest cut of codes[begin … end) (all hanzi) into lexicon words and
// domain phrases, walked from the end; a character no word starts with
// stands alone.
bool CutHanzi(const AnalysisResources& res, const uint16_t* codes, int begin, int end, WordBuildScratch* scratch,
              Piece* pieces, int* count) {
  int32_t best[kSentenceCodes + 1];
  int16_t next[kSentenceCodes + 1];
  PieceKind kind[kSentenceCodes + 1];
  const int32_t top = CostScale(kTopFrequency);
  const int32_t domainEdge = top - CostScale(kDomainWordFrequency + 1);
  best[end] = 0;
  for (int i = end - 1; i >= begin; --i) {
    best[i] = INT32_MAX;
    next[i] = static_cast<int16_t>(i + 1);
    kind[i] = kUnknownHanzi;
    bool found[kLexiconMaxWordLength] = {};
    bool inDomain[kLexiconMaxWordLength] = {};
    int available = end - i;
    if (available > kLexiconMaxWordLength) available = kLexiconMaxWordLength;
    if (HasDomain(res)) res.domain->FindPrefixes(codes + i, available, inDomain);
    if (res.hasLexicon) {
      const LexiconStatus st = res.lexicon.FindPrefixes(codes + i, available, scratch->prefixes, found);
      if (st == LexiconStatus::kCorrupt) return false;
    }
    // Nearest end first, so that on equal cost the shorter word stays; a
    // span is tried in the domain dictionary before the lexicon.
    auto offer = [&](int len, int32_t edge, PieceKind k) {
      const int32_t total = best[i + len] + edge;
      if (total < best[i]) {
        best[i] = total;
        next[i] = static_cast<int16_t>(i + len);
        kind[i] = k;
      }
    };
    for (int len = 1; len <= available; ++len) {
      if (inDomain[len - 1]) offer(len, domainEdge, kDomainWord);
      if (!found[len - 1]) continue;
      const uint32_t freq = scratch->prefixes[len - 1].frequency_sum;
      offer(len, top - CostScale(freq >= kTopFrequency ? kTopFrequency : freq + 1), kLexiconWord);
    }
    if (best[i] == INT32_MAX) best[i] = best[i + 1] + top;  // unknown single character
  }
  for (int i = begin; i < end && *count < kMaxWordsPerSentence; i = next[i]) {
    pieces[(*count)++] = {static_cast<int16_t>(i), static_cast<int16_t>(next[i] - i), kind[i]};
  }
  return true;
}

// The entry of a path word from its dictionary: kFound, kNotFound or
// kCorrupt (a corrupt lexicon).
LexiconStatus FindEntry(const AnalysisResources& res, const uint16_t* codes, const Piece& piece, LexiconEntry* entry) {
  if (piece.kind == kDomainWord)
    return HasDomain(res) && res.domain->Find(codes + piece.start, piece.length, entry) ? LexiconStatus::kFound
                                                                                        : LexiconStatus::kNotFound;
  return res.lexicon.Find(codes + piece.start, piece.length, entry);
}

// Probability in whole percent of each reading; the last takes the rest.
void Percentages(const LexiconEntry& entry, int* percent) {
  const int n = entry.reading_count;
  int used = 0;
  for (int r = 0; r < n; ++r) {
    int p;
    if (r == n - 1) {
      p = 100 - used;
    } else if (entry.frequency_sum == 0) {
      p = 100 / n;
    } else {
      p = static_cast<int>(static_cast<uint64_t>(entry.readings[r].frequency) * 100 / entry.frequency_sum);
    }
    if (p < 0) p = 0;
    percent[r] = p;
    used += p;
  }
}

int32_t CapAdd(int32_t a, int32_t b) {
  const int32_t s = a + b;
  return s > kCostUnreachable ? kCostUnreachable : s;
}

int ReadingCount(const Piece& piece, const LexiconEntry& entry) {
  return piece.kind == kLexiconWord && entry.reading_count > 0 ? entry.reading_count : 1;
}

int ReadingTag(const Piece& piece, const LexiconEntry& entry, int r) {
  return piece.kind == kLexiconWord && entry.reading_count > 0 ? entry.readings[r].tag : kTagUnknown;
}

// Chooses one reading per piece; choice[w] is the reading index.
void TagPath(const Piece* pieces, int count, WordBuildScratch* s, int* choice) {
  int percent[kLexiconMaxReadings];
  for (int w = 0; w < count; ++w) {
    const LexiconEntry& entry = s->entries[w];
    const int n = ReadingCount(pieces[w], entry);
    if (pieces[w].kind == kLexiconWord && entry.reading_count > 0) {
      Percentages(entry, percent);
    } else {
      percent[0] = 100;
    }
    bool reachable = false;
    for (int r = 0; r < n; ++r) {
      const int32_t emission = kEmissionCost[percent[r]];
      const int tag = ReadingTag(pieces[w], entry, r);
      int32_t best = kCostUnreachable;
      int8_t from = -1;
      if (w == 0) {
        best = CapAdd(TagTransitionCost(kTagSentenceStart, tag), emission);
      } else {
        const int pn = ReadingCount(pieces[w - 1], s->entries[w - 1]);
        for (int q = 0; q < pn; ++q) {
          const int32_t c =
              CapAdd(CapAdd(s->cost[w - 1][q], TagTransitionCost(ReadingTag(pieces[w - 1], s->entries[w - 1], q), tag)),
                     emission);
          if (c < best) {
            best = c;
            from = static_cast<int8_t>(q);
          }
        }
      }
      s->cost[w][r] = best;
      s->back[w][r] = from;
      if (best < kCostUnreachable) reachable = true;
    }
    if (!reachable) {
      // No reading can follow: start afresh from emission alone; the words
      // before keep their own best path.
      for (int r = 0; r < n; ++r) {
        s->cost[w][r] = kEmissionCost[percent[r]];
        s->back[w][r] = -1;
      }
    }
  }
  // Cheapest final reading, the later one on equal cost; after a fresh
  // start the word before it ends its own path the same way.
  int w = count - 1;
  int r = -1;
  while (w >= 0) {
    if (r < 0) {
      const int n = ReadingCount(pieces[w], s->entries[w]);
      int32_t best = INT32_MAX;
      for (int q = 0; q < n; ++q) {
        if (s->cost[w][q] <= best) {
          best = s->cost[w][q];
          r = q;
        }
      }
    }
    choice[w] = r;
    r = s->back[w][r];
    --w;
  }
}

// The path of codes[0 … length): lexicon words over the hanzi, runs of
// everything else (at most kMaxWordsPerSentence pieces). -1 on a corrupt lexicon.
int CutPieces(const AnalysisResources& res, const uint16_t* codes, int length, WordBuildScratch* scratch,
              Piece* pieces) {
  int count = 0;
  const uint16_t g = res.syllableCodeCount;
  for (int i = 0; i < length && count < kMaxWordsPerSentence;) {
    if (IsHanzi(codes[i])) {
      int end = i;
      while (end < length && IsHanzi(codes[end])) ++end;
      if (!CutHanzi(res, codes, i, end, scratch, pieces, &count)) return -1;
      i = end;
      continue;
    }
    const int type = RunType(codes[i], g);
    int end = i;
    while (end < length && end - i < kMaxRun && !IsHanzi(codes[end]) && RunType(codes[end], g) == type) ++end;
    pieces[count++] = {static_cast<int16_t>(i), static_cast<int16_t>(end - i), type == 2 ? kReadingRun : kRun};
    i = end;
  }
  return count;
}

// How a sentence cut between two words sounds, by the words' default tags.
enum class CutQuality { kPoor, kPlain, kGood };

int DefaultTag(const AnalysisResources& res, const uint16_t* codes, const Piece& piece, LexiconEntry* entry) {
  if (piece.kind != kLexiconWord && piece.kind != kDomainWord) return kTagUnknown;
  if (FindEntry(res, codes, piece, entry) != LexiconStatus::kFound || entry->reading_count == 0) return kTagUnknown;
  return entry->readings[0].tag;
}

bool IsParticle(int tag) {
  const char* name = TagName(tag);
  return name != nullptr && (name[0] == 'u' || (name[0] == 'y' && name[1] == '\0'));
}

bool IsLinkWord(int tag) {  // conjunctions and prepositions open what follows
  const char* name = TagName(tag);
  return name != nullptr && (name[0] == 'c' || name[0] == 'p') && name[1] == '\0';
}

CutQuality QualityOfCut(int before, int after) {
  if (IsParticle(after)) return CutQuality::kPoor;  // 的 了 吗 do not start a sentence
  if (IsParticle(before) || IsLinkWord(after)) return CutQuality::kGood;
  return CutQuality::kPlain;
}

// A good cut may fall this many codes before the limit rather than a plain one.
constexpr int kGoodCutReach = 10;

}  // namespace

size_t LastWordBoundary(const AnalysisResources& res, const uint16_t* codes, size_t available, size_t limit,
                        WordBuildScratch* scratch) {
  if (!res.hasLexicon || limit == 0 || available <= limit) return 0;
  const int length = available > kSentenceCodes ? kSentenceCodes : static_cast<int>(available);
  Piece pieces[kMaxWordsPerSentence];
  const int count = CutPieces(res, codes, length, scratch, pieces);
  if (count <= 0) return 0;
  const int lim = static_cast<int>(limit);
  int last = 0, plain = 0, good = 0;
  int before = kTagUnknown;
  for (int k = 0; k < count && pieces[k].start <= lim; ++k) {
    const int after = DefaultTag(res, codes, pieces[k], &scratch->entries[0]);
    const int b = pieces[k].start;
    if (b > 0) {
      last = b;
      const CutQuality q = QualityOfCut(before, after);
      if (q != CutQuality::kPoor) plain = b;
      if (q == CutQuality::kGood) good = b;
    }
    before = after;
  }
  if (good > 0 && lim - good <= kGoodCutReach) return static_cast<size_t>(good);
  return static_cast<size_t>(plain > 0 ? plain : last);
}

bool BuildWords(const AnalysisResources& res, const uint16_t* codes, int length, int32_t startIndex,
                WordBuildScratch* scratch, WordList* words) {
  words->count = 0;
  if (length > kSentenceCodes) length = kSentenceCodes;
  Piece pieces[kMaxWordsPerSentence];
  const int count = CutPieces(res, codes, length, scratch, pieces);
  if (count < 0) return false;
  const uint16_t g = res.syllableCodeCount;
  for (int w = 0; w < count; ++w) {
    LexiconEntry& entry = scratch->entries[w];
    entry.reading_count = 0;
    entry.frequency_sum = 0;
    if (pieces[w].kind != kLexiconWord && pieces[w].kind != kDomainWord) continue;
    const LexiconStatus st = FindEntry(res, codes, pieces[w], &entry);
    if (st == LexiconStatus::kCorrupt) return false;
    if (st == LexiconStatus::kFound && pieces[w].kind == kDomainWord && res.hasLexicon) {
      // A phrase entered without a reading for some character reads it as
      // the lexicon's default rather than as silence.
      for (int c = 0; c < entry.length && c < kLexiconMaxWordLength; ++c) {
        uint16_t& code = entry.readings[0].pinyin[c];
        if (code == kLexiconNoPinyin) res.lexicon.DefaultPinyin(codes[pieces[w].start + c], &code);
      }
    }
    // A domain phrase is tagged and read like a lexicon word from here on.
    pieces[w].kind = st == LexiconStatus::kFound ? kLexiconWord : kUnknownHanzi;
  }
  int choice[kMaxWordsPerSentence];
  TagPath(pieces, count, scratch, choice);

  for (int w = 0; w < count; ++w) {
    const Piece& p = pieces[w];
    WordRecord& word = words->words[w];
    word = WordRecord{};
    word.length = p.length;
    word.word_class = static_cast<int16_t>(ClassifyCode(codes[p.start], g));
    word.flags = kWordChineseSide;
    word.text_position = startIndex + p.start;
    word.pos = kTagUnknown;
    for (int c = 0; c < p.length; ++c) {
      const uint16_t code = codes[p.start + c];
      word.chars[c] = code;
      word.pinyin[c] = kUnknownPinyin;
      if (p.kind == kReadingRun) word.pinyin[c] = static_cast<uint16_t>(code - kReadingCodeBase);
    }
    const LexiconEntry& entry = scratch->entries[w];
    if (p.kind == kLexiconWord && entry.reading_count > 0) {
      const LexiconReading& reading = entry.readings[choice[w]];
      word.pos = reading.tag;
      for (int c = 0; c < p.length && c < kLexiconMaxWordLength; ++c) word.pinyin[c] = reading.pinyin[c];
    } else if (p.kind == kUnknownHanzi && res.hasLexicon) {
      // No word: the character's default reading is better than silence.
      uint16_t code = kUnknownPinyin;
      if (res.lexicon.DefaultPinyin(codes[p.start], &code) == LexiconStatus::kFound) word.pinyin[0] = code;
    }
  }
  words->count = count;
  return true;
}

}  // namespace kvo::frontend
