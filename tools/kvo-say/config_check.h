// The session configuration as kvo-say checks it before the SDK sees it: the
// SDK passes keys it does not know through silently and reports a bad value
// as a bare code, so kvo-say names the entry itself.
#ifndef KVO_SAY_CONFIG_CHECK_H
#define KVO_SAY_CONFIG_CHECK_H

#include <string>
#include <vector>

namespace kvosay {

struct ConfigEntry {
  std::string key;  // lower case
  std::string value;
};

// Splits KEY=VALUE,... as the SDK does: entries at commas, the key before the
// first "=", blanks trimmed, keys ignoring case; a repeated key keeps its
// first place and its last value. False with a message naming the entry.
bool ParseConfig(const std::string& text, std::vector<ConfigEntry>& entries, std::string& error);

// Sets or adds key (lower case) with value.
void SetEntry(std::vector<ConfigEntry>& entries, const std::string& key, const std::string& value);
// The value of key, or "" when absent.
std::string EntryValue(const std::vector<ConfigEntry>& entries, const std::string& key);
// KEY=VALUE entries joined by ",".
std::string JoinConfig(const std::vector<ConfigEntry>& entries);

// The number the engine takes for a code page given by name (utf8, gbk,
// big5, ...) or number. False with a message naming the code page and the
// supported ones.
bool CodepageNumber(const std::string& name, std::string& number, std::string& error);

// Checks every entry against the keys and values of the engine module that
// serves capkey; a codepage entry is rewritten to its number. False with a
// message naming the key.
bool CheckConfig(const std::string& capkey, std::vector<ConfigEntry>& entries, std::string& error);

// True when text holds nothing but blanks in the code page (ASCII white
// space, and the full-width space of the Chinese code pages).
bool BlankText(const std::string& text, const std::string& codepage_number);

}  // namespace kvosay

#endif
