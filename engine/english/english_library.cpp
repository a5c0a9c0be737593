#include "english/english_library.h"

#include <cstring>

#include "english/english_tables.h"

namespace kvo::english {

using namespace layout;

namespace {

// Compares a NUL-terminated word with n stored bytes, as unsigned bytes.
int CompareWord(const char* word, const char* stored, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t a = static_cast<uint8_t>(word[i]);
    const uint8_t b = static_cast<uint8_t>(stored[i]);
    if (a == 0) return -1;
    if (a != b) return a < b ? -1 : 1;
  }
  return word[n] == 0 ? 0 : 1;
}

// Count and index of a sorted-entry section (dictionaries, part-of-speech
// lexicon): the index must fit into the payload.
bool OpenIndexed(const SectionReader& section, uint32_t* count) {
  *count = 0;
  uint32_t n = 0;
  if (!section.present() || !section.ReadU32(0, &n)) return false;
  if (n == 0 || n > (section.size - 4) / 4) return false;
  *count = n;
  return true;
}

}  // namespace

// ---- Pronunciation dictionaries ----

bool PronDictionary::Open(const SectionReader& section) {
  section_ = section;
  return OpenIndexed(section, &count_);
}

bool PronDictionary::EntryWord(uint32_t index, uint32_t* offset, uint8_t* head, char* word) const {
  if (!section_.ReadU32(kPronHeaderBytes + index * kPronIndexEntryBytes, offset)) return false;
  if (!section_.Read(*offset, head, kPronEntryHeadBytes)) return false;
  if (head[0] > kPronMaxWordBytes) return false;
  if (!section_.Read(*offset + kPronEntryHeadBytes, word, head[0])) return false;
  return true;
}

bool PronDictionary::Lookup(const char* word, int tag, PhoneString* out) const {
  out->count = 0;
  if (count_ == 0 || std::strlen(word) > static_cast<size_t>(kPronMaxWordBytes)) return false;
  // First entry whose word is not below the one looked up.
  uint32_t lo = 0, hi = count_;
  char stored[kPronMaxWordBytes + 1];
  uint8_t head[kPronEntryHeadBytes];
  uint32_t offset = 0;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (!EntryWord(mid, &offset, head, stored)) return false;
    if (CompareWord(word, stored, head[0]) > 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  uint32_t chosen = 0;
  int rank = 0;  // 3 own tag, 2 any tag, 1 first entry
  for (uint32_t i = lo; i < count_; ++i) {
    uint32_t at = 0;
    if (!EntryWord(i, &at, head, stored) || CompareWord(word, stored, head[0]) != 0) break;
    const int r = head[1] == tag ? 3 : head[1] == kPronAnyTag ? 2 : 1;
    if (r > rank) {
      rank = r;
      chosen = at;
    }
  }
  if (rank == 0) return false;
  if (!section_.Read(chosen, head, kPronEntryHeadBytes)) return false;
  if (head[2] == 0 || head[2] > kPronMaxPhones) return false;
  if (!section_.Read(chosen + kPronEntryHeadBytes + head[0], out->phones, head[2])) return false;
  for (int i = 0; i < head[2]; ++i) {
    if ((out->phones[i] & ~kPronStressFlag) >= 69) return false;  // not a phone of the symbol table
  }
  out->count = head[2];
  return true;
}

// ---- Letter-to-sound ----

bool LetterToSound::Open(const SectionReader& section) {
  open_ = false;
  section_ = section;
  uint8_t head[kLtsHeaderBytes];
  if (!section.present() || !section.Read(0, head, kLtsHeaderBytes)) return false;
  if (head[0] != kLtsWindow || head[3] != kLtsLetters) return false;
  const uint32_t list = static_cast<uint32_t>(head[4]) | (static_cast<uint32_t>(head[5]) << 8) |
                        (static_cast<uint32_t>(head[6]) << 16) | (static_cast<uint32_t>(head[7]) << 24);
  nodes_offset_ = kLtsHeaderBytes + kLtsLetters * kLtsTreeBytes;
  if (list < nodes_offset_ || list > section.size) return false;
  const uint32_t node_space = (list - nodes_offset_) / kLtsNodeBytes;
  for (int k = 0; k < kLtsLetters; ++k) {
    uint32_t first = 0, count = 0;
    if (!section.ReadU32(kLtsHeaderBytes + k * kLtsTreeBytes, &first) ||
        !section.ReadU32(kLtsHeaderBytes + k * kLtsTreeBytes + 4, &count))
      return false;
    if (first > node_space || count > node_space - first || count > 0xFFFF) return false;
    first_node_[k] = first;
    node_count_[k] = count;
  }
  uint16_t n = 0;
  if (!section.ReadU16(list, &n) || n == 0 || n > kMaxStrings) return false;
  uint32_t at = list + 2;
  int used = 0;
  for (int i = 0; i < n; ++i) {
    string_offset_[i] = static_cast<uint16_t>(used);
    for (;;) {
      uint8_t c = 0;
      if (used >= kNameBytes || !section.ReadU8(at++, &c)) return false;
      names_[used++] = static_cast<char>(c);
      if (c == 0) break;
    }
  }
  string_count_ = n;
  open_ = true;
  return true;
}

bool LetterToSound::Leaf(int letter, const uint8_t* window, int* phone_list_index) const {
  const uint32_t first = first_node_[letter];
  const uint32_t count = node_count_[letter];
  uint32_t node = 0;
  // A tree of count nodes is walked in at most count steps; more means a loop.
  for (uint32_t steps = 0; steps < count && node < count; ++steps) {
    uint8_t n[kLtsNodeBytes];
    if (!section_.Read(nodes_offset_ + (first + node) * kLtsNodeBytes, n, kLtsNodeBytes)) return false;
    if (n[0] == kLtsLeafPosition) {
      *phone_list_index = n[1];
      return n[1] < string_count_;
    }
    if (n[0] > 2 * kLtsWindow) return false;
    const uint16_t yes = static_cast<uint16_t>(n[2] | (n[3] << 8));
    const uint16_t no = static_cast<uint16_t>(n[4] | (n[5] << 8));
    node = window[n[0]] == n[1] ? yes : no;
  }
  return false;
}

bool LetterToSound::Predict(const char* word, PhoneString* out) const {
  out->count = 0;
  if (!open_) return false;
  const size_t len = std::strlen(word);
  if (len == 0 || len > static_cast<size_t>(kPronMaxWordBytes)) return false;
  // padding, boundary, the word, boundary, padding: every window fits.
  constexpr int kPad = kLtsWindow - 1;
  uint8_t padded[kPronMaxWordBytes + 2 * kLtsWindow];
  int p = 0;
  for (int i = 0; i < kPad; ++i) padded[p++] = kLtsPadding;
  padded[p++] = kLtsBoundary;
  for (size_t i = 0; i < len; ++i) padded[p++] = static_cast<uint8_t>(word[i]);
  padded[p++] = kLtsBoundary;
  for (int i = 0; i < kPad; ++i) padded[p++] = kLtsPadding;
  // Collected from the last letter to the first, reversed at the end.
  uint8_t rev[layout::kPronMaxPhones];
  int n = 0;
  for (int i = static_cast<int>(len) - 1; i >= 0; --i) {
    const uint8_t c = static_cast<uint8_t>(word[i]);
    if (c < 'a' || c > 'z') continue;
    int leaf = 0;
    if (!Leaf(c - 'a', padded + kPad + 1 + i - kLtsWindow, &leaf)) continue;
    const char* s = names_ + string_offset_[leaf];
    // "", "k", "aa1" or "k-s": at most two phones, the second written last.
    const char* dash = std::strchr(s, '-');
    const char* parts[2] = {s, nullptr};
    size_t lens[2] = {std::strlen(s), 0};
    int count = *s ? 1 : 0;
    if (dash != nullptr) {
      lens[0] = static_cast<size_t>(dash - s);
      parts[1] = dash + 1;
      lens[1] = std::strlen(dash + 1);
      count = 2;
    }
    for (int k = count - 1; k >= 0; --k) {
      char name[8];
      size_t l = lens[k];
      if (l == 0 || l >= sizeof(name)) continue;
      std::memcpy(name, parts[k], l);
      name[l] = 0;
      uint8_t stress = 0;
      if (name[l - 1] == '0' || name[l - 1] == '1') {
        stress = name[l - 1] == '1' ? kPronStressFlag : 0;
        name[--l] = 0;
      }
      const int symbol = SymbolIndex(name);
      if (symbol < 0) continue;
      if (n >= kPronMaxPhones) return false;
      rev[n++] = static_cast<uint8_t>(symbol | stress);
    }
  }
  for (int i = 0; i < n; ++i) out->phones[i] = rev[n - 1 - i];
  out->count = static_cast<uint8_t>(n);
  return n > 0;
}

// ---- Part-of-speech lexicon ----

bool PosLexicon::Open(const SectionReader& section) {
  section_ = section;
  return OpenIndexed(section, &count_);
}

int PosLexicon::Lookup(const char* word, PosCandidate* out, int capacity) const {
  if (count_ == 0 || std::strlen(word) > static_cast<size_t>(kPronMaxWordBytes)) return 0;
  uint32_t lo = 0, hi = count_;
  char stored[kPronMaxWordBytes + 1];
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    uint32_t offset = 0;
    uint8_t head[kPosEntryHeadBytes];
    if (!section_.ReadU32(kPosHeaderBytes + mid * kPosIndexEntryBytes, &offset) ||
        !section_.Read(offset, head, kPosEntryHeadBytes) || head[0] > kPronMaxWordBytes ||
        !section_.Read(offset + kPosEntryHeadBytes, stored, head[0]))
      return 0;
    const int c = CompareWord(word, stored, head[0]);
    if (c == 0) {
      int n = 0;
      uint32_t at = offset + kPosEntryHeadBytes + head[0];
      for (int i = 0; i < head[1] && n < capacity && n < kPosMaxCandidates; ++i, at += kPosCandidateBytes) {
        uint8_t cand[kPosCandidateBytes];
        if (!section_.Read(at, cand, kPosCandidateBytes)) return n;
        if (cand[0] >= 12) continue;
        out[n].tag = static_cast<int8_t>(cand[0]);
        out[n].score = static_cast<int16_t>(cand[1] | (cand[2] << 8)) * kPosScoreMultiplier;
        ++n;
      }
      return n;
    }
    if (c > 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return 0;
}

// ---- Phrase-break model ----

namespace {

struct BreakHeader {
  uint16_t word_count;
  uint16_t word_bytes;
  uint32_t entry_count;
};

bool ReadBreakHeader(const SectionReader& s, BreakHeader* h) {
  if (!s.present() || !s.ReadU16(0, &h->word_count) || !s.ReadU16(2, &h->word_bytes) || !s.ReadU32(4, &h->entry_count))
    return false;
  if (h->entry_count == 0 || h->entry_count > kBreakMaxEntries) return false;
  const uint64_t need = kBreakHeaderBytes + static_cast<uint64_t>(h->word_bytes) +
                        static_cast<uint64_t>(h->entry_count) * kBreakEntryBytes;
  return need <= s.size;
}

int32_t EntryKey(const uint8_t* e) {
  return static_cast<int32_t>(e[0]) * 65536 + static_cast<int16_t>(e[2] | (e[3] << 8));
}

}  // namespace

bool BreakModel::Bytes(const SectionReader& section, uint32_t* bytes) {
  BreakHeader h{};
  if (!ReadBreakHeader(section, &h)) return false;
  *bytes = kBreakHeaderBytes + h.word_bytes + h.entry_count * kBreakEntryBytes;
  return true;
}

bool BreakModel::Load(const SectionReader& section, uint8_t* block, uint32_t bytes) {
  entry_count_ = 0;
  BreakHeader h{};
  if (!ReadBreakHeader(section, &h) || bytes != kBreakHeaderBytes + h.word_bytes + h.entry_count * kBreakEntryBytes)
    return false;
  if (!section.Read(0, block, bytes)) return false;
  const uint8_t* words = block + kBreakHeaderBytes;
  // The word block holds exactly word_count NUL-terminated words.
  uint32_t ends = 0;
  for (uint32_t i = 0; i < h.word_bytes; ++i) ends += words[i] == 0;
  if (ends != h.word_count || (h.word_bytes > 0 && words[h.word_bytes - 1] != 0)) return false;
  const uint8_t* entries = words + h.word_bytes;
  // Binary search needs the entries in order; a model out of order is not used.
  for (uint32_t i = 1; i < h.entry_count; ++i) {
    if (EntryKey(entries + (i - 1) * kBreakEntryBytes) > EntryKey(entries + i * kBreakEntryBytes)) return false;
  }
  words_ = words;
  word_bytes_ = h.word_bytes;
  word_count_ = h.word_count;
  entries_ = entries;
  entry_count_ = h.entry_count;
  return true;
}

int BreakModel::WordId(const char* word) const {
  uint32_t at = 0;
  for (uint32_t i = 0; i < word_count_ && at < word_bytes_; ++i) {
    const char* w = reinterpret_cast<const char*>(words_ + at);
    if (std::strcmp(w, word) == 0) return static_cast<int>(i);
    at += static_cast<uint32_t>(std::strlen(w)) + 1;
  }
  return -1;
}

void BreakModel::Add(int feature, int value, int32_t* a, int32_t* b) const {
  if (value < -32768 || value > 32767) return;
  const int32_t key = feature * 65536 + value;
  uint32_t lo = 0, hi = entry_count_;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    const uint8_t* e = entries_ + mid * kBreakEntryBytes;
    const int32_t k = EntryKey(e);
    if (k == key) {
      *a += static_cast<int16_t>(e[4] | (e[5] << 8));
      *b += static_cast<int16_t>(e[6] | (e[7] << 8));
      return;
    }
    if (k < key)
      lo = mid + 1;
    else
      hi = mid;
  }
}

}  // namespace kvo::english
