#include "config_check.h"

#include <cstring>

namespace kvosay {
namespace {

// Blanks as the SDK trims them.
const char kBlanks[] = " \t\n\r";

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The two engine modules this system delivers, picked from the capability
// key as the SDK picks the module file; keys of other modules are checked
// only for what the SDK itself checks.
enum Module { kStandard = 1, kN6 = 2, kOther = 4 };

Module ModuleOf(const std::string& capkey) {
  if (capkey.find(".local.") == std::string::npos) return kOther;
  if (capkey.find(".n6") != std::string::npos) return kN6;
  if (capkey.find(".v6") != std::string::npos || capkey.find(".n4") != std::string::npos) return kOther;
  return kStandard;
}

enum class Check { kAny, kList, kLevel, kCodepage };

struct KeyRule {
  const char* key;
  Check check;
  const char* standard;  // accepted values "|a|b|" of the standard module; null: refused there
  const char* n6;        // the same for the n6 module
  bool sdk;              // checked by the SDK whatever the module
};

const char kAnyValue[] = "";
const char kAudioFormats[] =
    "|auto|alaw8k8bit|ulaw8k8bit|pcm8k8bit|pcm8k16bit|pcm16k8bit|pcm16k16bit|pcm11k8bit|pcm11k16bit|";

// What the API module and the two engine modules read from a session
// configuration: the SDK's own rules, the modules' rule tables and the
// values their engines accept (n6 takes only off and on for puncmode).
const KeyRule kRules[] = {
    {"capkey", Check::kAny, kAnyValue, kAnyValue, true},
    {"appkey", Check::kAny, kAnyValue, kAnyValue, true},
    {"calltype", Check::kAny, kAnyValue, kAnyValue, false},
    {"speaker", Check::kAny, kAnyValue, kAnyValue, false},
    {"domain", Check::kAny, kAnyValue, kAnyValue, false},
    {"codepage", Check::kCodepage, kAnyValue, kAnyValue, false},
    {"volume", Check::kLevel, kAnyValue, kAnyValue, true},
    {"speed", Check::kLevel, kAnyValue, kAnyValue, true},
    {"pitch", Check::kLevel, kAnyValue, kAnyValue, true},
    {"puncmode", Check::kList, "|off|on|off_rtn|on_rtn|", "|off|on|", true},
    {"digitmode", Check::kList, "|auto_number|auto_telegram|number|telegram|",
     "|auto_number|auto_telegram|number|telegram|", true},
    {"engmode", Check::kList, "|auto|english|letter|", "|auto|english|letter|", true},
    {"voicestyle", Check::kList, "|clear|vivid|normal|plain|", "|clear|vivid|normal|plain|", true},
    {"tagmode", Check::kList, "|none|0|1|", "|none|0|1|", false},
    {"audioformat", Check::kList, kAudioFormats, kAudioFormats, false},
    {"soundeffect", Check::kList, "|base|reverb|echo|chorus|nearfar|robot|", "|base|reverb|echo|chorus|nearfar|robot|",
     false},
    {"mixsound", Check::kList, "|1|2|3|4|5|6|7|8|9|", "|1|2|3|4|5|6|7|8|9|", false},
    {"namepolyphone", Check::kList, "|off|on|", "|off|on|", false},
    {"silencemode", Check::kList, "|short|long|", nullptr, false},
    {"speedmode", Check::kList, "|single|double|", nullptr, false},
    {"speedup", Check::kList, nullptr, "|auto|off|on|0|1|2|3|", false},
    {"specialone", Check::kList, nullptr, "|yi1|yao1|", false},
    {"specialtwo", Check::kList, nullptr, "|er4|liang3|", false},
    {"symbolfilter", Check::kList, nullptr, "|off|on|", false},
    {"gainfactor", Check::kList, nullptr, "|2|3|4|5|6|7|8|", false},
};

const char* Accepted(const KeyRule& rule, Module module) { return module == kN6 ? rule.n6 : rule.standard; }

// "|a|b|" as "a, b".
std::string Listed(const char* allowed) {
  std::string text;
  for (const char* p = allowed + 1; *p != '\0'; ++p)
    text += *p == '|' ? (p[1] != '\0' ? ", " : "") : std::string(1, *p);
  return text;
}

bool InList(const std::string& value, const char* allowed) {
  return std::strstr(allowed, ("|" + value + "|").c_str()) != nullptr && value.find('|') == std::string::npos;
}

// Volume, speed and pitch as the SDK's numeric check takes them: 0 to 9.99,
// digits with at most one "." (not first) and two decimals.
bool LevelValue(const std::string& value) {
  if (value.empty() || value[0] == '.') return false;
  const size_t dot = value.find('.');
  if (value.find_first_not_of("0123456789.") != std::string::npos) return false;
  if (dot != std::string::npos && value.find('.', dot + 1) != std::string::npos) return false;
  if (dot == std::string::npos ? value.size() > 3 : value.size() - dot - 1 > 2) return false;
  const std::string whole = value.substr(0, dot);
  return whole.find_first_not_of('0') == std::string::npos || std::stoi(whole) <= 9;
}

// The code pages the text can be given in: UTF-16 (1200, 1201) cannot pass
// through the API, which reads the text up to its first NUL byte, and the
// engine has no decoder for UTF-7 (65000).
struct Codepage {
  const char* name;
  const char* number;
};
const Codepage kCodepages[] = {{"utf8", "65001"}, {"utf-8", "65001"}, {"gbk", "936"},   {"gb2312", "936"},
                               {"cp936", "936"},  {"big5", "950"},    {"cp950", "950"}, {"cp437", "437"}};
const char* const kCodepageNumbers[] = {"65001", "936", "950", "437"};
const char kSupportedCodepages[] = "65001 (utf8), 936 (gbk), 950 (big5), 437";

}  // namespace

bool ParseConfig(const std::string& text, std::vector<ConfigEntry>& entries, std::string& error) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string piece = text.substr(start, end - start);
    start = end + 1;
    if (Trim(piece).empty()) continue;
    const size_t eq = piece.find('=');
    const std::string key = eq == std::string::npos ? std::string() : Trim(piece.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : Trim(piece.substr(eq + 1));
    if (key.empty() || value.empty()) {
      error = "configuration entry '" + Trim(piece) + "' is not KEY=VALUE";
      return false;
    }
    SetEntry(entries, Lower(key), value);
  }
  return true;
}

void SetEntry(std::vector<ConfigEntry>& entries, const std::string& key, const std::string& value) {
  for (ConfigEntry& entry : entries) {
    if (entry.key == key) {
      entry.value = value;
      return;
    }
  }
  entries.push_back({key, value});
}

std::string EntryValue(const std::vector<ConfigEntry>& entries, const std::string& key) {
  for (const ConfigEntry& entry : entries) {
    if (entry.key == key) return entry.value;
  }
  return std::string();
}

std::string JoinConfig(const std::vector<ConfigEntry>& entries) {
  std::string text;
  for (const ConfigEntry& entry : entries) text += (text.empty() ? "" : ",") + entry.key + "=" + entry.value;
  return text;
}

bool CodepageNumber(const std::string& name, std::string& number, std::string& error) {
  const std::string lower = Lower(name);
  for (const Codepage& entry : kCodepages) {
    if (lower == entry.name) {
      number = entry.number;
      return true;
    }
  }
  for (const char* supported : kCodepageNumbers) {
    if (name == supported) {
      number = name;
      return true;
    }
  }
  const bool utf16 = name == "1200" || name == "1201" || lower == "utf16" || lower == "utf-16";
  error = "code page " + name + " is not supported" +
          (utf16 ? std::string(" (UTF-16 text cannot pass the API, which reads up to the first NUL byte)") : "") +
          "; supported: " + kSupportedCodepages;
  return false;
}

bool CheckConfig(const std::string& capkey, std::vector<ConfigEntry>& entries, std::string& error) {
  const Module module = ModuleOf(capkey);
  for (ConfigEntry& entry : entries) {
    const KeyRule* rule = nullptr;
    for (const KeyRule& candidate : kRules) {
      if (entry.key == candidate.key) rule = &candidate;
    }
    if (module == kOther) {
      // Another module's keys are its own business; the SDK's are not.
      if (rule == nullptr || !rule->sdk) continue;
    } else if (rule == nullptr) {
      std::string keys;
      for (const KeyRule& candidate : kRules) {
        if (Accepted(candidate, module) != nullptr) keys += std::string(keys.empty() ? "" : ", ") + candidate.key;
      }
      error = "unknown configuration key " + entry.key + "; the voice " + capkey + " takes " + keys;
      return false;
    } else if (Accepted(*rule, module) == nullptr) {
      error = "configuration key " + entry.key + " is not supported by the engine of " + capkey +
              (module == kStandard ? " (only the .n6 voices take it)" : " (only the standard voices take it)");
      return false;
    }
    const std::string shown = entry.key + "=" + entry.value;
    switch (rule->check) {
      case Check::kAny:
        break;
      case Check::kCodepage: {
        std::string number;
        if (!CodepageNumber(entry.value, number, error)) return false;
        entry.value = number;
        break;
      }
      case Check::kLevel:
        if (!LevelValue(entry.value)) {
          error = shown + " is not valid; " + entry.key + " takes a number from 0 to 9.99 with at most two decimals";
          return false;
        }
        break;
      case Check::kList: {
        // A module the tool does not know gets the SDK's own lists.
        const char* allowed = module == kOther ? rule->standard : Accepted(*rule, module);
        if (!InList(entry.value, allowed)) {
          error = shown + " is not valid; " + entry.key + " takes " + Listed(allowed);
          return false;
        }
        break;
      }
    }
  }
  return true;
}

bool BlankText(const std::string& text, const std::string& codepage_number) {
  // The full-width space of each code page (and the byte-order mark and
  // no-break space of UTF-8).
  std::vector<std::string> wide;
  if (codepage_number == "65001") wide = {"\xE3\x80\x80", "\xEF\xBB\xBF", "\xC2\xA0"};
  if (codepage_number == "936") wide = {"\xA1\xA1"};
  if (codepage_number == "950") wide = {"\xA1\x40"};
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] != '\0' && std::strchr(" \t\n\r\v\f", text[at]) != nullptr) {
      ++at;
      continue;
    }
    bool matched = false;
    for (const std::string& blank : wide) {
      if (text.compare(at, blank.size(), blank) == 0) {
        at += blank.size();
        matched = true;
        break;
      }
    }
    if (!matched) return false;
  }
  return true;
}

}  // namespace kvosay
