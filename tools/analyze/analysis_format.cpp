#include "analysis_format.h"

#include <cstdio>

#include "frontend/analysis/tag_tables.h"
#include "frontend/intake/internal_code.h"
#include "internal_text.h"

namespace kvo::analyze {

namespace {

using frontend::WordRecord;

// Words whose reading slots hold syllables; punctuation keeps a unit and a
// pause length there, letters get their units only at item building.
bool CarriesSyllables(const WordRecord& word) {
  return word.word_class != frontend::qvTTS_CT_SYMBOL && word.word_class != frontend::qvTTS_CT_LETTER &&
         word.word_class != frontend::qvTTS_CT_GREEK;
}

std::string Reading(const FrontEndRunner& runner, uint16_t unit) {
  const std::string name = runner.SyllableName(unit);
  return name.empty() ? "-" : name;
}

void Append(std::string* line, const std::string& word) {
  if (!line->empty()) line->push_back(' ');
  *line += word;
}

bool IsSyllableItem(const FrontEndRunner& runner, const qvAnalysisItem& item) {
  return (item.flags & kItemFlagPause) == 0 && !runner.SyllableName(item.unit).empty();
}

}  // namespace

std::string Printable(const std::string& text) {
  std::string out;
  char escape[8];
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

std::string TagText(int tag) {
  if (tag >= 0 && tag < frontend::kTagNameCount) {
    const char* name = frontend::TagName(tag);
    if (name != nullptr) return name;
  }
  return LetterTagText(tag);
}

std::string LetterTagText(int tag) {
  std::string letters;
  const int low = tag & 0xFF, high = (tag >> 8) & 0xFF;
  if (low >= 'a' && low <= 'z') letters.push_back(static_cast<char>(low));
  if (!letters.empty() && high >= 'a' && high <= 'z') letters.push_back(static_cast<char>(high));
  return letters.empty() ? "-" : letters;
}

std::string FormatWords(const FrontEndRunner& runner, const AnalysedSentence& sentence) {
  std::string out =
      "# " + Printable(Utf8OfCodes(runner, sentence.codes.data(), static_cast<int>(sentence.codes.size()))) + "\n";
  for (size_t w = 0; w < sentence.words.size(); ++w) {
    const WordRecord& word = sentence.words[w];
    std::string citation, spoken;
    for (int c = 0; c < word.length; ++c) {
      Append(&citation, CarriesSyllables(word) ? Reading(runner, word.pinyin[c]) : "-");
    }
    // Items of word w carry lexical word number w, one per character.
    for (const qvAnalysisItem& item : sentence.items) {
      if (item.lexical_word != static_cast<int16_t>(w) || item.language != kItemLanguageChinese) continue;
      Append(&spoken, IsSyllableItem(runner, item) ? Reading(runner, item.unit) : "-");
    }
    if (spoken.empty()) spoken = "-";
    out += Printable(Utf8OfCodes(runner, word.chars, word.length)) + "\t" + TagText(word.pos) + "\t" + citation + "\t" +
           spoken + "\n";
  }
  return out;
}

std::string FormatItems(const FrontEndRunner& runner, const AnalysedSentence& sentence) {
  std::string out;
  char line[256];
  for (size_t i = 0; i < sentence.items.size(); ++i) {
    const qvAnalysisItem& it = sentence.items[i];
    const std::string character = Printable(Utf8OfCode(runner, it.character));
    const std::string reading = it.unit == kUnitSilence ? "sil" : Reading(runner, it.unit);
    std::snprintf(line, sizeof line, "\t%u\t%s\t0x%04X\t%d\t%s\t%d\t%u/%u\t%u/%u\t%u/%u\t%d\n", it.unit,
                  reading.c_str(), it.flags, it.pause_length, LetterTagText(it.part_of_speech).c_str(), it.lexical_word,
                  it.position_in_prosodic_word, it.prosodic_word_length, it.prosodic_word_index, it.phrase_length,
                  it.phrase_index, it.phrase_count, it.text_position);
    out += "\t@\t" + std::to_string(i) + "\t" + character + line;
  }
  return out;
}

std::string SpokenSyllables(const FrontEndRunner& runner, const AnalysedSentence& sentence) {
  std::string line;
  for (const qvAnalysisItem& item : sentence.items) {
    if (item.language == kItemLanguageChinese && IsSyllableItem(runner, item))
      Append(&line, Reading(runner, item.unit));
  }
  return line;
}

std::string CitationSyllables(const FrontEndRunner& runner, const AnalysedSentence& sentence) {
  std::string line;
  for (const WordRecord& word : sentence.words) {
    if (!CarriesSyllables(word)) continue;
    for (int c = 0; c < word.length; ++c) {
      const std::string name = runner.SyllableName(word.pinyin[c]);
      if (!name.empty()) Append(&line, name);
    }
  }
  return line;
}

}  // namespace kvo::analyze
