#include "english_format.h"

#include "english/english_tables.h"
#include "internal_text.h"

namespace kvo::analyze {

namespace {

bool IsEnglish(const qvAnalysisItem& item) { return item.language == kItemLanguageEnglish; }
bool IsPauseItem(const qvAnalysisItem& item, const std::string& name) {
  return IsEnglish(item) ? name.empty() : (item.flags & kItemFlagPause) != 0 || item.character == ' ';
}

void Append(std::string* line, const std::string& word, const char* separator = " ") {
  if (word.empty()) return;
  if (!line->empty()) *line += separator;
  *line += word;
}

std::string Symbol(int8_t value) {
  const int v = static_cast<uint8_t>(value);
  if (v == 0xFF) return "-";
  return v < english::kSymbolCount ? english::kSymbols[v] : std::to_string(v);
}

std::string Number(int8_t value) {
  const int v = static_cast<uint8_t>(value);
  if (v == english::kSymX) return "x";  // the pause's "not a syllable" mark
  return v == 0xFF ? "-" : std::to_string(v);
}

}  // namespace

std::string SpokenWords(const FrontEndRunner& runner, const AnalysedSentence& sentence) {
  std::string line, word;
  int chinese_word = -1;
  for (size_t i = 0; i < sentence.items.size(); ++i) {
    const qvAnalysisItem& item = sentence.items[i];
    const std::string& name = sentence.names[i];
    if (IsPauseItem(item, name)) {
      Append(&line, word);
      word.clear();
      chinese_word = -1;
      continue;
    }
    if (IsEnglish(item)) {
      if ((item.flags & kItemFlagSameNameAsPrevious) == 0) {
        Append(&line, word);
        word = name;
      }
      chinese_word = -1;
    } else {
      if (item.lexical_word != chinese_word) {
        Append(&line, word);
        word.clear();
        chinese_word = item.lexical_word;
      }
      word += Utf8OfCode(runner, item.character);
    }
  }
  Append(&line, word);
  return line;
}

std::string SpokenPhones(const FrontEndRunner& runner, const AnalysedSentence& sentence) {
  std::string line, word, syllable;
  auto end_syllable = [&]() {
    Append(&word, syllable, " . ");
    syllable.clear();
  };
  auto end_word = [&]() {
    end_syllable();
    Append(&line, word, " | ");
    word.clear();
  };
  for (size_t i = 0; i < sentence.items.size(); ++i) {
    const qvAnalysisItem& item = sentence.items[i];
    const std::string& name = sentence.names[i];
    if (IsPauseItem(item, name)) {
      end_word();
      continue;
    }
    if (!IsEnglish(item)) {
      const std::string s = runner.SyllableName(item.unit);
      if (s.empty()) continue;
      end_word();
      Append(&line, s, " | ");
      continue;
    }
    if ((item.flags & kItemFlagSameNameAsPrevious) == 0) end_word();
    if (item.context[5] == 1) {
      end_syllable();
      if (item.context[10] == 1) syllable = "'";
    }
    if (!syllable.empty() && syllable != "'") syllable += " ";
    syllable += Symbol(item.context[2]);
  }
  end_word();
  return line;
}

std::string FormatLabels(const AnalysedSentence& sentence) {
  // The label fields in byte order: name, symbol (true) or number.
  struct Field {
    int byte;
    const char* name;
    bool symbol;
  };
  static const Field kFields[] = {
      {0, "p--", true},
      {1, "p-", true},
      {2, "p", true},
      {3, "p+", true},
      {4, "p++", true},
      {5, "syl.pos", false},
      {6, "syl.rpos", false},
      {7, "psyl.stress", false},
      {8, "psyl.accent", false},
      {9, "psyl.phones", false},
      {10, "syl.stress", false},
      {11, "syl.accent", false},
      {12, "syl.phones", false},
      {13, "word.syl", false},
      {14, "word.rsyl", false},
      {15, "phr.syl", false},
      {16, "phr.rsyl", false},
      {17, "stress.before", false},
      {18, "stress.after", false},
      {19, "accent.before", false},
      {20, "accent.after", false},
      {21, "since.stress", false},
      {22, "until.stress", false},
      {23, "since.accent", false},
      {24, "until.accent", false},
      {25, "vowel", true},
      {26, "nsyl.stress", false},
      {27, "nsyl.accent", false},
      {28, "nsyl.phones", false},
      {29, "pword.class", true},
      {30, "pword.syl", false},
      {31, "word.class", true},
      {32, "word.syls", false},
      {33, "word.pos", false},
      {34, "word.rpos", false},
      {35, "content.before", false},
      {36, "content.after", false},
      {37, "since.content", false},
      {38, "until.content", false},
      {39, "nword.class", true},
      {40, "nword.syl", false},
      {41, "pphr.syl", false},
      {42, "pphr.words", false},
      {43, "phr.syls", false},
      {44, "phr.words", false},
      {45, "phr.pos", false},
      {46, "phr.rpos", false},
      {47, "tone", true},
      {48, "nphr.syl", false},
      {49, "nphr.words", false},
      {50, "utt.syl", false},
      {51, "utt.words", false},
      {52, "utt.phrases", false},
  };
  std::string out;
  for (size_t i = 0; i < sentence.items.size(); ++i) {
    const qvAnalysisItem& item = sentence.items[i];
    if (!IsEnglish(item)) continue;
    out += "\t@ " + (sentence.names[i].empty() ? std::string("-") : sentence.names[i]) + " " + Symbol(item.context[2]);
    for (const Field& f : kFields) {
      // Byte 47 holds 0 ("0") for a pause: a symbol like the others.
      out += std::string(" ") + f.name + "=" + (f.symbol ? Symbol(item.context[f.byte]) : Number(item.context[f.byte]));
    }
    out += "\n";
  }
  return out;
}

}  // namespace kvo::analyze
