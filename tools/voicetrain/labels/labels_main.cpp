// kvo-voicetrain-labels: runs our own engine's front end over a corpus and
// writes, per sentence, the teacher's script line (tone-numbered pinyin
// after our sandhi, with our pauses) and the phones with the context labels
// synthesis will use.
//
// Usage: kvo-voicetrain-labels [--english ENLIB] LIBRARY CORPUS.tsv OUTDIR
// CORPUS lines are "<source>\t<sentence>" (UTF-8). Writes OUTDIR/script.tsv
// and OUTDIR/labels.txt; the summary counts the sentences skipped.
// With --english the sentences are English: the script holds the words our
// English front end pronounces (a comma where a new chunk starts with its
// pause), and a label record's "syllable" is the phone's word.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/qvtts.h"
#include "label_recorder.h"

namespace {

struct TextSource {
  const std::string* text;
  size_t offset;
};

int FeedText(void* user, char* buffer, int32_t* length) {
  TextSource* src = static_cast<TextSource*>(user);
  const size_t left = src->text->size() - src->offset;
  const size_t n = left < static_cast<size_t>(*length) ? left : static_cast<size_t>(*length);
  std::memcpy(buffer, src->text->data() + src->offset, n);
  src->offset += n;
  *length = static_cast<int32_t>(n);
  return 0;
}

int IgnoreVoice(void*, int32_t, const void*, int32_t) { return 0; }

void Progress(size_t done, size_t total) {
  if (done % 100 == 0 || done == total) std::fprintf(stderr, "\rlabels: %zu/%zu sentences", done, total);
}

// An English sentence: the words, one per run of items of the same word,
// and the word each phone belongs to (a pause to the word after it).
struct EnglishWords {
  std::vector<std::string> words;
  std::vector<int> wordOfItem;
  std::string script;
};

bool EnglishSentence(const voicetrain::LabelSink& sink, EnglishWords* out, std::string* reason) {
  const auto& items = sink.items;
  out->wordOfItem.assign(items.size(), -1);
  std::vector<bool> pauseBefore;
  bool pendingPause = false;
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& item = items[i];
    if (!item.english || item.phones.size() != 1) {
      *reason = "units other than English phones (Chinese syllables, letters)";
      return false;
    }
    if (item.word.empty()) {  // a pause item
      pendingPause = true;
      continue;
    }
    if (!item.sameWord || out->words.empty() || item.word != out->words.back() || pendingPause) {
      out->words.push_back(item.word);
      pauseBefore.push_back(pendingPause && i > 0 && out->words.size() > 1);
    }
    pendingPause = false;
    out->wordOfItem[i] = static_cast<int>(out->words.size()) - 1;
  }
  if (out->words.empty()) {
    *reason = "no English words (is the English library usable?)";
    return false;
  }
  // Pauses belong to the word that follows; none may end the sentence.
  int next = -1;
  for (size_t i = items.size(); i-- > 0;) {
    if (out->wordOfItem[i] >= 0)
      next = out->wordOfItem[i];
    else if (next < 0) {
      *reason = "pause after the last word";
      return false;
    } else
      out->wordOfItem[i] = next;
  }
  for (size_t w = 0; w < out->words.size(); ++w) {
    if (w > 0) out->script += pauseBefore[w] ? ", " : " ";
    out->script += out->words[w];
  }
  out->script += ".";
  return true;
}

int Usage(const char* program) {
  std::fprintf(stderr, "usage: %s [--english ENLIB] LIBRARY CORPUS.tsv OUTDIR\n", program);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  const char* english = nullptr;
  if (argc == 6 && std::strcmp(argv[1], "--english") == 0) {
    english = argv[2];
    argv += 2;
    argc -= 2;
  }
  if (argc != 4) return Usage(argv[0]);
  std::ifstream corpus(argv[2]);
  if (!corpus) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 1;
  }
  std::vector<std::string> sentences;
  for (std::string line; std::getline(corpus, line);) {
    const size_t tab = line.find('\t');
    std::string text = tab == std::string::npos ? line : line.substr(tab + 1);
    if (!text.empty()) sentences.push_back(text);
  }

  int32_t size = 0;
  if (qvTTS_GetExtBufSize(argv[1], english, nullptr, &size) != QVTTS_ERR_OK || size <= 0) {
    std::fprintf(stderr, "cannot open library %s\n", argv[1]);
    return 1;
  }
  void* block = std::aligned_alloc(16, (static_cast<size_t>(size) + 15) & ~size_t{15});
  qvTTS_HANDLE handle = nullptr;
  if (block == nullptr || qvTTS_Init(argv[1], english, nullptr, &handle, block) != QVTTS_ERR_OK) {
    std::fprintf(stderr, "engine init failed for %s\n", argv[1]);
    return 1;
  }
  TextSource source{nullptr, 0};
  qvTTS_SetParam(handle, QVTTS_PARAM_CODEPAGE, 65001);
  qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
  qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&FeedText));
  qvTTS_SetParam(handle, QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&IgnoreVoice));
  qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(&source));

  const std::string out = argv[3];
  FILE* script = std::fopen((out + "/script.tsv").c_str(), "w");
  FILE* labels = std::fopen((out + "/labels.txt").c_str(), "w");
  if (script == nullptr || labels == nullptr) {
    std::fprintf(stderr, "cannot write into %s\n", out.c_str());
    return 1;
  }
  std::map<std::string, int> skipped;
  int written = 0;
  for (size_t n = 0; n < sentences.size(); ++n) {
    voicetrain::LabelSink sink;
    voicetrain::SetLabelSink(&sink);
    source.text = &sentences[n];
    source.offset = 0;
    const int result = qvTTS_SynthesizeText(handle);
    voicetrain::SetLabelSink(nullptr);
    Progress(n + 1, sentences.size());
    if (result != QVTTS_ERR_OK || sink.failed) {
      ++skipped["engine failed on the sentence"];
      continue;
    }
    char id[24];
    std::snprintf(id, sizeof id, "s%05zu", n + 1);
    if (english != nullptr) {
      EnglishWords words;
      std::string reason;
      if (!EnglishSentence(sink, &words, &reason)) {
        ++skipped[reason];
        continue;
      }
      std::fprintf(script, "%s\t%s\n", id, words.script.c_str());
      std::fprintf(labels, "U %s %zu %zu\n", id, words.words.size(), sink.items.size());
      for (size_t i = 0; i < sink.items.size(); ++i) {
        const auto& p = sink.items[i].phones[0];
        const int w = words.wordOfItem[i];
        std::fprintf(labels, "P %d %s %d %d %d ", w, words.words[static_cast<size_t>(w)].c_str(), p.phone,
                     sink.items[i].word.empty() ? 1 : 0, sink.items[i].pauseMs);
        for (int k = 0; k < voicetrain::kContextLabelBytes; ++k)
          std::fprintf(labels, "%02x", static_cast<uint8_t>(p.label[k]));
        std::fputc('\n', labels);
      }
      ++written;
      continue;
    }
    bool foreign = false;
    int syllables = 0;
    for (const auto& item : sink.items) {
      if (!item.syllable || item.spelling.empty())
        foreign = true;
      else
        ++syllables;
    }
    if (foreign) {
      ++skipped["units other than syllables (letters, English)"];
      continue;
    }
    if (syllables == 0) {
      ++skipped["no syllables"];
      continue;
    }
    // Script: a pause mark where our items pause, after the syllable
    // before it (the teacher attaches pauses to the preceding word).
    std::string tokens;
    int phones = 0;
    for (const auto& item : sink.items) {
      bool lead = !item.phones.empty() && item.phones.front().leading;
      bool trail = item.phones.size() > 1 && item.phones.back().pause && !item.phones.back().leading;
      if (lead && !tokens.empty()) tokens += " ,";
      tokens += (tokens.empty() ? "" : " ") + item.spelling;
      if (trail) tokens += " ,";
      phones += static_cast<int>(item.phones.size());
    }
    std::fprintf(script, "%s\t%s\n", id, tokens.c_str());
    std::fprintf(labels, "U %s %d %d\n", id, syllables, phones);
    int syllable = 0;
    for (const auto& item : sink.items) {
      for (const auto& p : item.phones) {
        std::fprintf(labels, "P %d %s %d %d %d ", syllable, item.spelling.c_str(), p.phone,
                     p.pause ? (p.leading ? 1 : 2) : 0, item.pauseMs);
        for (int k = 0; k < voicetrain::kContextLabelBytes; ++k)
          std::fprintf(labels, "%02x", static_cast<uint8_t>(p.label[k]));
        std::fputc('\n', labels);
      }
      ++syllable;
    }
    ++written;
  }
  std::fprintf(stderr, "\n");
  std::fclose(script);
  std::fclose(labels);
  qvTTS_End(handle);
  std::free(block);
  std::printf("labelled %d of %zu sentences\n", written, sentences.size());
  for (const auto& reason : skipped) std::printf("skipped %d: %s\n", reason.second, reason.first.c_str());
  return written > 0 ? 0 : 1;
}
