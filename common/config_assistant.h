// Parsing, checking, merging and writing of configuration strings
// ("key=value,key=value"). The same code serves the speech API, the engine
// modules and the player, so every option is read the same way everywhere.
#ifndef KVO_COMMON_CONFIG_ASSISTANT_H
#define KVO_COMMON_CONFIG_ASSISTANT_H

#include <string>

#include "config_map.h"

// One row of a rule table. allowed is "|a|b|c|" or null (any value);
// default_value is null or a text to store when the key is absent;
// missing_error is the code returned when the key is absent (0: optional).
struct ConfigRule {
  const char* key;
  const char* allowed;
  const char* default_value;
  int missing_error;
};

namespace ConfigAssistant {

// Trims the four blanks (space, tab, newline, carriage return).
std::string Trim(const std::string& text);
// Lower-cases ASCII A-Z only.
std::string ToLower(const std::string& text);

// Parses text into map. A null text succeeds and adds nothing. On failure
// the map is left empty.
bool Parse(const char* text, ConfigMap& map);
bool GetValue(const std::string& key, const ConfigMap& map, std::string& out);
bool SetValue(const std::string& key, const std::string& value, ConfigMap& map);
bool RemoveKey(const std::string& key, ConfigMap& map);
void Merge(ConfigMap& target, const ConfigMap& source);
std::string Serialize(const ConfigMap& map);
bool GetUInt(const std::string& key, const ConfigMap& map, unsigned int& out);
bool ValueInList(const std::string& value, const char* allowed);
// Checks map against rules in order, storing defaults of absent keys.
// Returns 0, 3 for a value outside its list, or a rule's missing_error.
int CheckAndRebuild(const ConfigRule* rules, int count, ConfigMap& map);

// The numeric check of speed, volume and pitch: each present value must be
// a decimal from 0 to 9.99 with at most two decimals. Logs the failure under
// the given operation name and returns 3; 0 when every value passes.
int CheckNumericValues(const ConfigMap& map, const char* operation);
// The rule for one value, without logging.
bool IsValidNumericValue(const std::string& value);

}  // namespace ConfigAssistant

#endif
