// Words of configuration values and the engine numbers they stand for.
#ifndef KVO_ENGINE_MODULE_ENGINE_VALUE_TABLE_H
#define KVO_ENGINE_MODULE_ENGINE_VALUE_TABLE_H

#include <string>

namespace engine_values {

// The value mapped through the key's word list (key and word compared
// ignoring case); a value without a listed word comes back unchanged.
std::string Map(const std::string& key, const std::string& value);
// The decimal integer at the start of text (optional sign); 0 without digits.
long LeadingInteger(const std::string& text);
// (v - 5) * 65535 / 10 with v read as a decimal fraction, truncated toward
// zero: the engine's scale for volume, pitch and speed.
long ScaledLevel(const std::string& text);

}  // namespace engine_values

#endif
