#include "engine_value_table.h"

#include <cctype>
#include <climits>

#include "config_assistant.h"

namespace engine_values {
namespace {

struct Word {
  const char* word;
  const char* number;
};

struct KeyWords {
  const char* key;
  const Word* words;
  int count;
};

const Word kCodepage[] = {{"utf8", "65001"}};
const Word kSpeedup[] = {{"auto", "-1"}, {"off", "0"}, {"on", "1"}, {"0", "0"}, {"1", "1"}, {"2", "2"}, {"3", "3"}};
const Word kSpeedMode[] = {{"single", "0"}, {"double", "1"}};
const Word kSilenceMode[] = {{"long", "0"}, {"short", "1"}};
const Word kNamePolyphone[] = {{"off", "0"}, {"on", "1"}};
const Word kSpecialOne[] = {{"yao1", "0"}, {"yi1", "1"}};
const Word kSpecialTwo[] = {{"er4", "0"}, {"liang3", "1"}};
const Word kSymbolFilter[] = {{"on", "0"}, {"off", "1"}};
const Word kPuncMode[] = {{"off", "0"}, {"on", "1"}, {"off_rtn", "2"}, {"on_rtn", "3"}};
const Word kDigitMode[] = {{"auto_number", "0"}, {"auto_telegram", "1"}, {"telegram", "2"}, {"number", "3"}};
const Word kEngMode[] = {{"auto", "0"}, {"letter", "1"}, {"english", "2"}};
const Word kTagMode[] = {{"none", "0"}};
const Word kVoiceStyle[] = {{"clear", "-1"}, {"normal", "0"}, {"plain", "1"}, {"vivid", "2"}};
const Word kSoundEffect[] = {{"base", "0"},   {"reverb", "1"},  {"echo", "2"},
                             {"chorus", "3"}, {"nearfar", "4"}, {"robot", "5"}};
const Word kAudioFormat[] = {{"auto", "0"},        {"pcm8k8bit", "1"},   {"pcm8k16bit", "2"},  {"pcm16k8bit", "3"},
                             {"pcm16k16bit", "4"}, {"pcm11k8bit", "5"},  {"pcm11k16bit", "6"}, {"vox6k4bit", "11"},
                             {"vox8k4bit", "12"},  {"alaw8k8bit", "13"}, {"ulaw8k8bit", "14"}};

#define KVO_WORDS(key, table) \
  { key, table, static_cast<int>(sizeof(table) / sizeof(table[0])) }
const KeyWords kTable[] = {
    KVO_WORDS("codepage", kCodepage),
    KVO_WORDS("speedup", kSpeedup),
    KVO_WORDS("speedmode", kSpeedMode),
    KVO_WORDS("silencemode", kSilenceMode),
    KVO_WORDS("namepolyphone", kNamePolyphone),
    KVO_WORDS("specialone", kSpecialOne),
    KVO_WORDS("specialtwo", kSpecialTwo),
    KVO_WORDS("symbolfilter", kSymbolFilter),
    KVO_WORDS("puncmode", kPuncMode),
    KVO_WORDS("digitmode", kDigitMode),
    KVO_WORDS("engmode", kEngMode),
    KVO_WORDS("tagmode", kTagMode),
    KVO_WORDS("voicestyle", kVoiceStyle),
    KVO_WORDS("soundeffect", kSoundEffect),
    KVO_WORDS("audioformat", kAudioFormat),
};
#undef KVO_WORDS

}  // namespace

std::string Map(const std::string& key, const std::string& value) {
  const std::string lower_key = ConfigAssistant::ToLower(key);
  const std::string lower_value = ConfigAssistant::ToLower(value);
  for (const KeyWords& entry : kTable) {
    if (lower_key != entry.key) continue;
    for (int i = 0; i < entry.count; ++i) {
      if (lower_value == entry.words[i].word) return entry.words[i].number;
    }
    break;
  }
  return value;
}

long LeadingInteger(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long number = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    // Stop growing instead of wrapping: an absurd value must still reach
    // the engine as out of range.
    if (number < 1000000000000000LL) number = number * 10 + (text[i] - '0');
  }
  return static_cast<long>(negative ? -number : number);
}

long ScaledLevel(const std::string& text) {
  // Read by hand: strtod would follow the application's LC_NUMERIC.
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  double value = 0.0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value < 1e12) value = value * 10.0 + (text[i] - '0');
  }
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
      value += (text[i] - '0') * scale;
      scale /= 10.0;
    }
  }
  if (negative) value = -value;
  const double scaled = (value - 5.0) * 65535.0 / 10.0;
  if (scaled > static_cast<double>(LONG_MAX)) return LONG_MAX;
  if (scaled < static_cast<double>(LONG_MIN)) return LONG_MIN;
  return static_cast<long>(scaled);
}

}  // namespace engine_values
