#include "backend/domain/phrase_library.h"

#include <cstring>

#include "core/analysis_item.h"
#include "core/unit_code.h"

namespace kvo::backend {

namespace {

constexpr uint32_t kCountOffset = kPhraseHeaderBytes;
constexpr uint32_t kRecordsOffset = kPhraseHeaderBytes + 4;
constexpr uint16_t kFollowsSameWord = 0x8000;  // English item continuing the previous one's word

struct Record {
  uint16_t textBytes;
  uint16_t mask;
  uint32_t end;
};

bool ReadRecord(const SectionReader& part, uint32_t k, Record* r) {
  uint8_t b[kPhraseRecordBytes];
  if (!part.Read(kRecordsOffset + k * kPhraseRecordBytes, b, kPhraseRecordBytes)) return false;
  r->textBytes = static_cast<uint16_t>(b[0] | (b[1] << 8));
  r->mask = static_cast<uint16_t>(b[2] | (b[3] << 8));
  r->end = static_cast<uint32_t>(b[4]) | (static_cast<uint32_t>(b[5]) << 8) | (static_cast<uint32_t>(b[6]) << 16) |
           (static_cast<uint32_t>(b[7]) << 24);
  return true;
}

// Reads a text of at most kPhraseMaxTextChars characters; its length in characters, or -1.
int ReadText(const SectionReader& part, uint32_t offset, uint16_t bytes, uint16_t* text) {
  const int chars = bytes / 2;
  if (chars > kPhraseMaxTextChars) return -1;
  uint8_t raw[2 * kPhraseMaxTextChars];
  if (!part.Read(offset, raw, static_cast<uint32_t>(chars) * 2)) return -1;
  for (int i = 0; i < chars; ++i) text[i] = static_cast<uint16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
  return chars;
}

// <0, 0, >0 as a sorts before, equal to, after b (16-bit values, a prefix first).
int CompareTexts(const uint16_t* a, int na, const uint16_t* b, int nb) {
  for (int i = 0; i < na && i < nb; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return na - nb;
}

uint16_t ItemChar(const SpeechItem& it) { return static_cast<uint16_t>(it.character[0] | (it.character[1] << 8)); }

bool IsAsciiLetter(uint16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Full-width Latin letters: GBK A3C1..A3DA and A3E1..A3FA, lead byte low.
bool IsWideLetter(uint16_t c) {
  const unsigned lead = c & 0xff, trail = c >> 8;
  return lead == 0xA3 && ((trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA));
}

uint16_t Fold(uint16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint16_t>(c + 32) : c; }

bool IsSeparator(uint16_t c) { return c == '\t' || c == ' ' || c == 0xA1A1 || c == 0xA0A3; }

struct Comparison {
  bool match;
  int consumed;     // items used by the match
  bool textBefore;  // on failure: the text sorts before the items
};

Comparison Compare(const SpeechItem* items, int count, int first, const uint16_t* text, int chars, uint32_t b) {
  int t = 0, k = first;
  while (t < chars) {
    if (text[t] == ' ') {
      ++t;
      continue;
    }
    while (k < count && (ItemChar(items[k]) == ' ' || items[k].code == b + kUnitSpokenSymbol)) ++k;
    if (k >= count) return {false, 0, false};
    const SpeechItem& it = items[k];
    if (it.language == kItemLanguageEnglish) {
      int e = t;
      while (e < chars && text[e] < 0x80 && !IsSeparator(text[e])) ++e;
      const char* word = it.text != nullptr ? it.text : "";
      int j = 0;
      for (; t + j < e && j < kItemNameBytes && word[j] != '\0'; ++j) {
        const uint16_t a = Fold(static_cast<uint16_t>(text[t + j] & 0xff));
        const uint16_t w = Fold(static_cast<uint8_t>(word[j]));
        if (a != w) return {false, 0, a < w};
      }
      if (t + j < e) return {false, 0, false};                             // the item's word is shorter
      if (j < kItemNameBytes && word[j] != '\0') return {false, 0, true};  // it only begins with the text's word
      t = e;
      ++k;
      while (k < count && (items[k].itemFlags & kFollowsSameWord)) ++k;
      continue;
    }
    uint16_t a = ItemChar(it), c = text[t];
    const bool letters = (IsAsciiLetter(a) || IsWideLetter(a)) && (IsAsciiLetter(c) || IsWideLetter(c));
    if (letters) {
      a = Fold(a);
      c = Fold(c);
    }
    if (a != c) return {false, 0, c < a};
    ++t;
    ++k;
  }
  return {true, k - first, false};
}

int PositionClass(const SpeechItem* items, int count, int first, int chars) {
  const SpeechItem& f = items[first];
  if (f.sylInWord == f.wordLen && f.phraseLen == 1 && f.sentenceLen != 0) return kPhraseWhole;
  const bool starts = f.sylInSentence == 0 && f.sylInWord == 0;
  int last = first + chars - 1;
  if (last >= count) last = count - 1;
  const SpeechItem& l = items[last];
  const bool ends = l.sylInSentence + 1 == l.sentenceLen && (l.sylInWord + 1 == l.wordLen || l.sylInWord == 0);
  if (starts && ends) return kPhraseWhole;
  if (starts) return kPhraseStartsBatch;
  return ends ? kPhraseEndsBatch : kPhraseInside;
}

}  // namespace

PhraseIndexStatus OpenPhraseIndex(const SectionReader& part, PhraseIndex* index) {
  std::memset(index, 0, sizeof(*index));
  if (!part.present()) return PhraseIndexStatus::kAbsent;
  uint32_t n = 0;
  if (!part.ReadU32(kCountOffset, &n)) return PhraseIndexStatus::kBroken;
  if (n == 0) return PhraseIndexStatus::kOk;
  if (n > (part.size - kRecordsOffset) / kPhraseRecordBytes) return PhraseIndexStatus::kBroken;
  // Codes above B + 36308 are not phrases: more records could never play.
  if (n > static_cast<uint32_t>(kUnitPhraseLast - kUnitPhraseFirst + 1)) return PhraseIndexStatus::kBroken;

  uint64_t texts = 0;
  for (uint32_t k = 0; k < n; ++k) {
    Record r;
    if (!ReadRecord(part, k, &r) || r.textBytes == 0 || (r.textBytes & 1) != 0) return PhraseIndexStatus::kBroken;
    texts += r.textBytes;
  }
  const uint64_t texts_start = kRecordsOffset + uint64_t{n} * kPhraseRecordBytes;
  if (texts_start + texts > part.size) return PhraseIndexStatus::kBroken;
  const uint32_t speech_start = static_cast<uint32_t>(texts_start + texts);
  const uint32_t speech_bytes = part.size - speech_start;

  const uint32_t step = n / kPhraseIndexEntries + 1;
  uint16_t prev[kPhraseMaxTextChars], cur[kPhraseMaxTextChars];
  int prev_chars = 0;
  uint32_t prev_end = 0, text_at = static_cast<uint32_t>(texts_start), opened = 0;
  int entries = 0;
  for (uint32_t k = 0; k < n; ++k) {
    Record r;
    if (!ReadRecord(part, k, &r) || r.end < prev_end || r.end > speech_bytes) return PhraseIndexStatus::kBroken;
    // Texts longer than we compare are checked on their first characters.
    const uint16_t bytes = r.textBytes > 2 * kPhraseMaxTextChars ? 2 * kPhraseMaxTextChars : r.textBytes;
    const int chars = ReadText(part, text_at, bytes, cur);
    if (chars <= 0) return PhraseIndexStatus::kBroken;
    if (k > 0 && CompareTexts(prev, prev_chars, cur, chars) > 0) return PhraseIndexStatus::kBroken;
    if (k == 0 || (cur[0] != prev[0] && k - opened >= step && entries < kPhraseIndexEntries)) {
      index->firstChar[entries] = cur[0];
      index->firstRecord[entries] = static_cast<uint16_t>(k);
      index->textOffset[entries] = text_at;
      ++entries;
      opened = k;
    }
    std::memcpy(prev, cur, sizeof(uint16_t) * static_cast<size_t>(chars));
    prev_chars = chars;
    prev_end = r.end;
    text_at += r.textBytes;
  }
  index->count = n;
  index->textsStart = static_cast<uint32_t>(texts_start);
  index->speechStart = speech_start;
  index->speechBytes = speech_bytes;
  index->entries = entries;
  return PhraseIndexStatus::kOk;
}

int MatchPhrases(const PhraseIndex& index, const SectionReader& part, const SpeechItem* items, int count,
                 uint32_t unitBase, PhraseMark* marks) {
  for (int i = 0; i < count; ++i) marks[i] = PhraseMark{-1, 0, 0};
  if (index.count == 0 || index.entries == 0) return 0;
  const uint32_t b = 2 * unitBase;
  int matched = 0;
  uint16_t text[kPhraseMaxTextChars];
  int i = 0;
  while (i < count) {
    const uint32_t code = items[i].code;
    if (code >= b + kUnitSpokenSymbol && code <= b + kUnitEnglishLast && items[i].language != kItemLanguageEnglish) {
      ++i;
      continue;
    }
    // The bucket of records that can start like the items.
    int entry = -1;
    for (int e = 0; e < index.entries; ++e) {
      const Comparison c = Compare(items, count, i, &index.firstChar[e], 1, b);
      if (c.match) {
        entry = e;
        break;
      }
      if (!c.textBefore) {
        entry = e - 1;
        break;
      }
      if (e + 1 == index.entries) entry = e;
    }
    int best = -1, best_len = 0;
    if (entry >= 0) {
      const uint32_t lo = index.firstRecord[entry];
      const uint32_t hi = entry + 1 < index.entries ? index.firstRecord[entry + 1] : index.count;
      uint32_t text_at = index.textOffset[entry];
      for (uint32_t r = lo; r < hi; ++r) {
        Record rec;
        if (!ReadRecord(part, r, &rec)) break;
        const int chars = ReadText(part, text_at, rec.textBytes, text);
        text_at += rec.textBytes;
        if (chars <= 0) continue;
        const Comparison c = Compare(items, count, i, text, chars, b);
        if (!c.match) continue;
        const int v = PositionClass(items, count, i, chars);
        if (((rec.mask >> v) & 1) != 0 && c.consumed > best_len) {
          best = static_cast<int>(r);
          best_len = c.consumed;
        }
        if (best_len > c.consumed) break;
      }
    }
    if (best < 0) {
      ++i;
      continue;
    }
    Record rec, before{0, 0, 0};
    if (!ReadRecord(part, static_cast<uint32_t>(best), &rec) ||
        (best > 0 && !ReadRecord(part, static_cast<uint32_t>(best - 1), &before))) {
      ++i;
      continue;
    }
    marks[i] = PhraseMark{best, static_cast<int32_t>(index.speechStart + before.end),
                          static_cast<int32_t>(rec.end - before.end)};
    for (int j = 1; j < best_len && i + j < count; ++j) marks[i + j].record = -2;
    i += best_len;
    ++matched;
  }
  return matched;
}

int32_t StreamPhrase(PhraseStream* s, const SectionReader& part, const PhraseMark& mark, int16_t* out, int32_t room,
                     bool* complete) {
  *complete = false;
  const int32_t total = mark.bytes - mark.bytes % g729::kFrameBytes;
  if (!s->started) {
    g729::ResetDecoder(&s->decoder);
    s->readBytes = s->readPos = s->done = 0;
    s->pendingPos = s->pendingCount = 0;
    s->started = true;
  }
  int32_t produced = 0;
  while (produced < room) {
    if (s->pendingPos < s->pendingCount) {
      int32_t n = s->pendingCount - s->pendingPos;
      if (n > room - produced) n = room - produced;
      std::memcpy(out + produced, s->pending + s->pendingPos, sizeof(int16_t) * static_cast<size_t>(n));
      s->pendingPos += n;
      produced += n;
      continue;
    }
    if (s->readPos + g729::kFrameBytes > s->readBytes) {
      s->done += s->readBytes;
      s->readBytes = s->readPos = 0;
      const int32_t remaining = total - s->done;
      if (remaining <= 0) break;
      const int32_t n = remaining > kPhraseReadBytes ? kPhraseReadPiece : remaining;
      if (mark.offset < 0 ||
          !part.Read(static_cast<uint32_t>(mark.offset + s->done), s->read, static_cast<uint32_t>(n))) {
        s->done = total;
        break;
      }
      s->readBytes = n;
    }
    g729::DecodeFrame(&s->decoder, s->read + s->readPos, s->pending);
    s->readPos += g729::kFrameBytes;
    s->pendingPos = 0;
    s->pendingCount = g729::kFrameSamples;
  }
  *complete = s->pendingPos >= s->pendingCount && s->readPos + g729::kFrameBytes > s->readBytes &&
              s->done + s->readBytes >= total;
  return produced;
}

}  // namespace kvo::backend
