#include "english/english_front_end.h"

#include <cstring>

#include "core/arena.h"
#include "core/engine_instance.h"
#include "core/resource_library.h"

namespace kvo::english {

namespace {

void CloseBatch(qvAnalysisItem* items, int count) {
  qvAnalysisItem& t = items[count];
  char* name = t.name;
  std::memset(&t, 0, sizeof(t));
  t.name = name;
  t.flags = kItemFlagTerminator;
}

// Pronunciation to items for the words of one chunk or run.
int AnalyseWords(EnglishFrontEnd* fe, qvAnalysisItem* items, int first, int capacity, const ItemParameters& params) {
  Pronounce(fe->res, &fe->words);
  ApplyPostLexicalRules(&fe->words);
  const int tone = PredictAccents(&fe->words);
  DropSilentWords(&fe->words);
  if (fe->words.count == 0) return 0;
  return MakeItems(fe->words, tone, params, items, first, capacity);
}

bool IsSentenceSeparator(char c) {
  return c == ' ' || c == ';' || c == '!' || c == '?' || c == ',' || c == '.' || c == '\t' || c == '\n';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Raw tokens of the sentence text: cut at the separators (no empty tokens,
// a ',' or '.' between digits kept), each at most kTokenBytes - 1 bytes.
void SplitSentence(const char* text, int n, SentenceTokens* t) {
  t->count = 0;
  int start = -1;
  for (int i = 0; i <= n; ++i) {
    const char c = i < n ? text[i] : ' ';
    const bool keep = (c == ',' || c == '.') && i > 0 && IsDigit(text[i - 1]) && i + 1 < n && IsDigit(text[i + 1]);
    const bool sep = i == n || (IsSentenceSeparator(c) && !keep);
    if (!sep && start < 0) start = i;
    const bool full = start >= 0 && i - start == kTokenBytes - 1;
    if ((sep || full) && start >= 0) {
      if (t->count < kMaxSentenceTokens) {
        t->start[t->count] = static_cast<int16_t>(start);
        t->length[t->count] = static_cast<int16_t>(i - start);
        t->tag[t->count] = 0;
        t->break_before[t->count] = 0;
        ++t->count;
      }
      start = sep ? -1 : i;
    }
  }
}

// Chunk boundaries: before a phrase break, and where the accumulated
// length reaches the budget; a first token of the budget or more is cut.
void MakeChunks(EnglishFrontEnd* fe) {
  const SentenceTokens& t = fe->tokens;
  fe->chunk_count = 0;
  fe->next_chunk = 0;
  if (t.count == 0) return;
  int k = 0;
  fe->chunk_start[k++] = t.start[0];
  int acc = t.length[0] + 1;
  if (t.length[0] >= kChunkBudget) {
    for (int cut = t.start[0] + kChunkBudget; cut < t.start[0] + t.length[0] && k < kMaxChunks; cut += kChunkBudget)
      fe->chunk_start[k++] = static_cast<int16_t>(cut);
    acc = 0;
  }
  for (int i = 1; i < t.count && k < kMaxChunks; ++i) {
    acc += t.length[i];
    if (t.break_before[i] || acc >= kChunkBudget) {
      fe->chunk_start[k++] = t.start[i];
      acc = t.length[i];
    }
  }
  fe->chunk_count = k;
  fe->chunk_start[k] = static_cast<int16_t>(fe->text_length);
}

// The sentence tag of a chunk token: that of the raw token it starts in.
int8_t TagAt(const SentenceTokens& t, int position) {
  int8_t tag = 0;
  for (int i = 0; i < t.count && t.start[i] <= position; ++i) tag = t.tag[i];
  return tag;
}

}  // namespace

ItemParameters ParametersOf(const qvInstance* instance) {
  return ItemParameters{instance->params.pitch, instance->params.speed, instance->params.volume};
}

bool EnglishInit(EnglishFrontEnd* fe, qvInstance* instance) {
  qvLibrary* lib = &instance->english;
  fe->sections[0] = {lib, layout::kSectionLexicon};
  fe->sections[1] = {lib, layout::kSectionExceptions};
  fe->sections[2] = {lib, layout::kSectionLts};
  fe->sections[3] = {lib, layout::kSectionPosLexicon};
  fe->sections[4] = {lib, layout::kSectionBreakModel};
  fe->status = kLanguageStatusEnglishWaiting;
  fe->ready = false;
  if (!qvLibrary_IsOpen(lib)) return true;
  fe->res.lexicon.Open(qvLibrary_SectionReader(&fe->sections[0]));
  fe->res.exceptions.Open(qvLibrary_SectionReader(&fe->sections[1]));
  fe->res.lts.Open(qvLibrary_SectionReader(&fe->sections[2]));
  fe->res.pos.Open(qvLibrary_SectionReader(&fe->sections[3]));
  const SectionReader breaks = qvLibrary_SectionReader(&fe->sections[4]);
  uint32_t bytes = 0;
  if (BreakModel::Bytes(breaks, &bytes) && bytes > 0 && bytes < INT32_MAX) {
    uint8_t* block = static_cast<uint8_t*>(qvArena_TakeAligned(instance, static_cast<int32_t>(bytes)));
    if (block == nullptr) return false;
    fe->break_block = block;
    fe->break_bytes = bytes;
    fe->res.breaks.Load(breaks, block, bytes);
  }
  fe->ready = fe->res.lexicon.present() || fe->res.lts.present();
  return true;
}

void EnglishRelease(EnglishFrontEnd* fe, qvInstance* instance) {
  if (fe->break_block != nullptr) qvArena_GiveAligned(instance, fe->break_block, static_cast<int32_t>(fe->break_bytes));
  fe->break_block = nullptr;
  fe->break_bytes = 0;
}

int32_t EnglishRunToItems(EnglishFrontEnd* fe, const char* run, qvAnalysisItem* items, int first, int capacity,
                          const ItemParameters& params, int* appended) {
  *appended = 0;
  if (!fe->ready || first < 0 || first >= capacity - 1) return kFeOk;
  size_t n = 0;
  while (n < static_cast<size_t>(kMaxRunBytes) && run[n] != 0) ++n;
  TokeniseRun(run, n, &fe->token_list);
  NormaliseTokens(fe->token_list, &fe->words);
  *appended = AnalyseWords(fe, items, first, capacity, params);
  return kFeOk;
}

int32_t EnglishSentenceStep(EnglishFrontEnd* fe, const uint16_t* codes, int length, qvAnalysisItem* items, int capacity,
                            const ItemParameters& params, int* count, int32_t* status) {
  *count = 0;
  if (*status != kLanguageStatusEnglishPending) {
    // A new sentence: its characters as bytes. Anything beyond ASCII (a
    // character the English side cannot spell) becomes a space, so that
    // tokens and the names handed on stay plain ASCII.
    int n = length < kSentenceCodes ? (length < 0 ? 0 : length) : kSentenceCodes;
    for (int i = 0; i < n; ++i) {
      const uint16_t c = codes[i];
      fe->text[i] = c > 0 && c < 128 ? static_cast<char>(c) : ' ';
    }
    fe->text[n] = 0;
    fe->text_length = n;
    SplitSentence(fe->text, n, &fe->tokens);
    TagParts(fe->res, fe->text, &fe->tokens);
    PredictBreaks(fe->res, fe->text, &fe->tokens);
    MakeChunks(fe);
  }
  *status = kLanguageStatusEnglishWaiting;
  while (fe->next_chunk < fe->chunk_count) {
    const int k = fe->next_chunk++;
    const int a = fe->chunk_start[k];
    const int b = fe->chunk_start[k + 1];
    TokeniseChunk(fe->text + a, static_cast<size_t>(b - a), &fe->token_list);
    for (int i = 0; i < fe->token_list.count; ++i)
      fe->token_list.tags[i] = TagAt(fe->tokens, a + fe->token_list.start[i]);
    if (fe->token_list.count == 0) continue;
    NormaliseTokens(fe->token_list, &fe->words);
    const int made = AnalyseWords(fe, items, 0, capacity, params);
    if (made == 0) continue;  // nothing to say in this chunk: take the next
    *count = made;
    CloseBatch(items, made);
    *status = kLanguageStatusEnglishPending;
    if (fe->observer != nullptr)
      fe->observer(fe->observer_user, fe->words, items, made, fe->next_chunk >= fe->chunk_count);
    return kFeOk;
  }
  CloseBatch(items, 0);
  return kFeOk;
}

}  // namespace kvo::english
