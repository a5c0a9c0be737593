// The spelling step: built-in fixed words read as Chinese, and pinyin
// typed into the text (hao3) read as that one syllable.
#include <string_view>

#include "frontend/intake/internal_code.h"
#include "frontend/normalisation/internal_text.h"
#include "frontend/normalisation/normalisation_steps.h"

namespace kvo::frontend {

namespace {

struct FixedWord {
  std::string_view key;  // compared case-insensitively with the whole word
  std::u16string_view reading;
  uint16_t codes[16];  // five-tone unit codes; letters are given their units at item building
};

constexpr uint16_t kLetter = kUnknownPinyin;

const FixedWord kFixedWords[] = {
    {"SARS", u"萨斯", {1443, 1575}},
    {"MOMA", u"摸马", {1050, 974}},
    {"RMB", u"人民币", {1386, 1036, 68}},
    {"AGHz", u"AG赫兹", {kLetter, kLetter, 593, 2045}},
    {"BGHz", u"BG赫兹", {kLetter, kLetter, 593, 2045}},
    {"CGHz", u"CG赫兹", {kLetter, kLetter, 593, 2045}},
    {"EGHz", u"EG赫兹", {kLetter, kLetter, 593, 2045}},
    {"Ai", u"爱", {8}},
    {"AA", u"评分", {1276, 445}},
    {"adj", u"形容词", {1791, 1401, 241}},
    {"sth.", u"某物", {1057, 1753}},
    {"sina", u"新浪", {1785, 853}},
    {"sohu", u"搜狐", {1585, 631}},
    {"soho", u"搜后", {1585, 628}},
    {"google", u"谷歌", {527, 495}},
    {"pepsi", u"百事", {32, 1528}},
    {"coca-cola", u"可口可乐", {767, 792, 767, 863}},
    {"lenovo", u"联想", {886, 1772}},
    {"plaza", u"大厦", {283, 1483}},
    {"starbucks", u"星巴克", {1790, 25, 769}},
    {"kappa", u"卡帕", {740, 1213}},
    {"moma", u"摸马", {1050, 974}},
    {"sport", u"运动", {1898, 363}},
    {"sports", u"运动", {1898, 363}},
    {"disnep", u"迪士尼", {326, 1528, 1121}},
    {"sony", u"索尼", {1612, 1121}},
    {"oracle", u"甲骨文", {676, 527, 1736}},
    {"motorola", u"摩托罗拉", {1051, 1706, 961, 835}},
    {"samsung", u"三星", {1450, 1790}},
    {"p&g", u"宝洁", {47, 696}},
    {"p+g", u"宝洁", {47, 696}},
    {"volvo", u"沃尔沃", {1748, 422, 1748}},
    {"pepsi sports", u"百事运动", {32, 1528, 1898, 363}},
    {"disnep sport", u"迪士尼运动", {326, 1528, 1121, 1898, 363}},
};

// Placeholder character of a word typed as pinyin.
constexpr uint16_t kPinyinInputChar = 0xFAD7;
constexpr int kMaxPinyinInput = 7;

bool IsAsciiLetter(uint16_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAlphanumeric(uint16_t c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9'); }

uint16_t Lower(uint16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint16_t>(c + 32) : c; }

bool MatchesKey(const WordRecord& word, std::string_view key) {
  if (word.length != static_cast<int>(key.size())) return false;
  for (int i = 0; i < word.length; ++i)
    if (Lower(word.chars[i]) != Lower(static_cast<uint8_t>(key[i]))) return false;
  return true;
}

// A five-tone unit code of the table for a voice of res.tones tones.
uint16_t VoiceCode(const AnalysisResources& res, uint16_t code) {
  if (code == kUnknownPinyin || res.tones == 5) return code;
  const int index = code / 5, tone = code % 5 + 1;
  return static_cast<uint16_t>(index * res.tones + (tone == 5 ? res.tones : tone) - 1);
}

bool SpellFixedWord(const AnalysisResources& res, WordRecord* word) {
  for (const FixedWord& fixed : kFixedWords) {
    if (!MatchesKey(*word, fixed.key)) continue;
    const int n = ToInternalCodes(fixed.reading, word->chars, kMaxWordChars);
    word->length = static_cast<int16_t>(n);
    for (int i = 0; i < n; ++i) word->pinyin[i] = VoiceCode(res, fixed.codes[i]);
    return true;
  }
  return false;
}

// The unit code of a word spelling one syllable and its tone (hao3), or
// kUnknownPinyin.
uint16_t PinyinInputCode(const AnalysisResources& res, const WordRecord& word) {
  int n = word.length;
  if (n > 0 && word.chars[n - 1] == ';') --n;
  if (n < 2 || n > kMaxPinyinInput || res.syllableNames == nullptr) return kUnknownPinyin;
  const int tone = word.chars[n - 1] - '0';
  if (tone < 1 || tone > res.tones) return kUnknownPinyin;
  char name[kMaxPinyinInput + 1];
  for (int i = 0; i < n - 1; ++i) {
    const uint16_t c = Lower(word.chars[i]);
    if (c < 'a' || c > 'z') return kUnknownPinyin;
    name[i] = static_cast<char>(c);
  }
  name[n - 1] = '\0';
  const std::string_view wanted(name, static_cast<size_t>(n - 1));
  for (int s = 0; s < res.syllableNameCount; ++s) {
    if (res.syllableNames[s] != nullptr && wanted == res.syllableNames[s]) {
      const int code = s * res.tones + tone - 1;
      return code < 0xFFFF ? static_cast<uint16_t>(code) : kUnknownPinyin;
    }
  }
  return kUnknownPinyin;
}

}  // namespace

void ApplySpelling(const AnalysisResources& res, WordList* words) {
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    if (word.word_class == kWordClassUntouchable || word.chars[0] >= 0x80) continue;
    if (SpellFixedWord(res, &word)) continue;
    // Pinyin typed before a space or a mark ("hao3,") is a word of its own.
    int end = 0;
    while (end < word.length && IsAsciiLetter(word.chars[end])) ++end;
    if (end > 0 && end < word.length && word.chars[end] >= '0' && word.chars[end] <= '9') ++end;
    if (end < word.length && end <= kMaxPinyinInput && !IsAlphanumeric(word.chars[end]) && word.chars[end] != ';' &&
        words->count < kMaxWordsPerSentence) {
      WordRecord probe = word;
      probe.length = static_cast<int16_t>(end);
      if (PinyinInputCode(res, probe) != kUnknownPinyin) {
        for (int k = words->count; k > w + 1; --k) words->words[k] = words->words[k - 1];
        ++words->count;
        WordRecord& rest = words->words[w + 1];
        rest = word;
        rest.length = static_cast<int16_t>(word.length - end);
        for (int c = 0; c < rest.length; ++c) {
          rest.chars[c] = word.chars[end + c];
          rest.pinyin[c] = word.pinyin[end + c];
        }
        rest.text_position = word.text_position + end;
        word.length = static_cast<int16_t>(end);
      }
    }
    const uint16_t code = PinyinInputCode(res, word);
    if (code == kUnknownPinyin) continue;
    word.chars[0] = kPinyinInputChar;
    word.pinyin[0] = code;
    word.length = 1;
    word.word_class = qvTTS_CT_CHINESE;
  }
}

}  // namespace kvo::frontend
