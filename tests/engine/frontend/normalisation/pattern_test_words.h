// Word lists for the pattern tests: UTF-8 text cut into words the way the
// regrouping by class leaves them (letter and digit runs up to 24
// characters, one word per symbol, a Chinese run one word unless "|" cuts
// it), and a compact rendering of the words the patterns produce.
#pragma once

#include <iconv.h>

#include <string>
#include <vector>

#include "frontend/analysis/word_record.h"
#include "frontend/intake/code_conversion.h"
#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/reading_modes.h"

namespace kvo::frontend::pattern_test {

inline std::string Convert(const std::string& text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  std::string in = text;
  std::string out(in.size() * 3 + 8, '\0');
  char* src = in.data();
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  out.resize(out.size() - dst_left);
  return out;
}

// Internal codes of UTF-8 text, as the intake delivers them.
inline std::vector<uint16_t> CodesOf(const std::string& utf8) {
  const std::string gbk = Convert(utf8, "UTF-8", "GBK");
  std::vector<uint16_t> codes;
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<uint8_t>(gbk[i]);
    if (byte < 0x80 || i + 1 == gbk.size()) {
      codes.push_back(byte);
    } else {
      codes.push_back(NormaliseSymbol(GbkCode(byte, static_cast<uint8_t>(gbk[++i]))));
    }
  }
  return codes;
}

inline std::string Utf8Of(const uint16_t* codes, int count) {
  std::string gbk;
  for (int i = 0; i < count; ++i) {
    if (codes[i] < 0x80) {
      gbk.push_back(static_cast<char>(codes[i]));
    } else {
      gbk.push_back(static_cast<char>(LeadByte(codes[i])));
      gbk.push_back(static_cast<char>(TrailByte(codes[i])));
    }
  }
  return Convert(gbk, "GBK", "UTF-8");
}

// The word list of text; at most kMaxWordsPerSentence words, like the word
// builder's list.
inline WordList WordsOf(const std::string& utf8) {
  WordList list{};
  const std::vector<uint16_t> codes = CodesOf(utf8);
  int position = 0;
  size_t i = 0;
  while (i < codes.size() && list.count < kMaxWordsPerSentence) {
    if (codes[i] == '|') {
      ++i;
      continue;
    }
    const CharClass cls = ClassifyCode(codes[i], 0);
    size_t end = i + 1;
    const bool run = cls == qvTTS_CT_LETTER || cls == qvTTS_CT_DIGIT || cls == qvTTS_CT_CHINESE;
    while (run && end < codes.size() && end - i < kMaxWordChars && codes[end] != '|' &&
           ClassifyCode(codes[end], 0) == cls) {
      ++end;
    }
    WordRecord& word = list.words[list.count];
    word = WordRecord{};
    word.length = static_cast<int16_t>(end - i);
    word.word_class = static_cast<int16_t>(cls);
    word.pos = kTagUnknown;
    word.flags = kWordChineseSide;
    word.text_position = position;
    word.reading_modes[kForcedModeSlot] = kNoForcedMode;
    word.reading_modes[kModeInForceSlot] = kNoForcedMode;
    for (size_t c = i; c < end; ++c) {
      word.chars[c - i] = codes[c];
      word.pinyin[c - i] = kUnknownPinyin;
      word.char_word[c - i] = static_cast<int16_t>(list.count);
    }
    ++list.count;
    position += static_cast<int>(end - i);
    i = end;
  }
  return list;
}

// Words separated by spaces; a forced reading type follows as "#type", a
// space word shows as "_".
inline std::string Render(const WordList& list) {
  std::string out;
  for (int w = 0; w < list.count; ++w) {
    const WordRecord& word = list.words[w];
    if (!out.empty()) out += ' ';
    if (word.length == 1 && word.chars[0] == ' ') {
      out += '_';
      continue;
    }
    out += Utf8Of(word.chars, word.length);
    if (word.reading_modes[kForcedModeSlot] != kNoForcedMode) {
      out += '#' + std::to_string(word.reading_modes[kForcedModeSlot]);
    }
  }
  return out;
}

}  // namespace kvo::frontend::pattern_test
