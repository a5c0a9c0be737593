#include "config_assistant.h"

#include <cstring>

#include "kvo_sys.h"

namespace ConfigAssistant {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

const char kModuleTag[] = "qvcommon";

}  // namespace

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ToLower(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool Parse(const char* text, ConfigMap& map) {
  if (text == nullptr) return true;
  const std::string all(text);
  size_t start = 0;
  while (start <= all.size()) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    const std::string piece = all.substr(start, comma - start);
    start = comma + 1;
    if (Trim(piece).empty()) continue;
    const size_t eq = piece.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == piece.size() ||
        !SetValue(piece.substr(0, eq), piece.substr(eq + 1), map)) {
      map.clear();
      return false;
    }
  }
  return true;
}

bool GetValue(const std::string& key, const ConfigMap& map, std::string& out) {
  const auto it = map.find(ToLower(key));
  if (it == map.end()) return false;
  out = it->second;
  return true;
}

bool SetValue(const std::string& key, const std::string& value, ConfigMap& map) {
  const std::string k = Trim(key);
  const std::string v = Trim(value);
  if (k.empty() || v.empty()) return false;
  map[ToLower(k)] = v;
  return true;
}

bool RemoveKey(const std::string& key, ConfigMap& map) { return map.erase(ToLower(key)) > 0; }

void Merge(ConfigMap& target, const ConfigMap& source) {
  for (const auto& entry : source) target[entry.first] = entry.second;
}

std::string Serialize(const ConfigMap& map) {
  std::string out;
  for (const auto& entry : map) {
    if (!out.empty()) out += ',';
    out += entry.first;
    out += '=';
    out += entry.second;
  }
  return out;
}

bool GetUInt(const std::string& key, const ConfigMap& map, unsigned int& out) {
  std::string value;
  if (!GetValue(key, map, value) || value.empty()) return false;
  unsigned int result = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    result = result * 10u + static_cast<unsigned int>(c - '0');  // wraps like the C library's conversion
  }
  out = result;
  return true;
}

bool ValueInList(const std::string& value, const char* allowed) {
  if (allowed == nullptr) return true;
  const std::string needle = "|" + value + "|";
  return std::strstr(allowed, needle.c_str()) != nullptr;
}

int CheckAndRebuild(const ConfigRule* rules, int count, ConfigMap& map) {
  for (int i = 0; i < count; ++i) {
    const ConfigRule& rule = rules[i];
    std::string value;
    if (GetValue(rule.key, map, value)) {
      if (rule.allowed != nullptr && !ValueInList(value, rule.allowed)) {
        KVO_LOG(KVO_LOG_ERROR, "[%s][%s] key:%s,value:%s invalid", kModuleTag, "ConfigAssistant::CheckAndRebuild",
                rule.key, value.c_str());
        return 3;
      }
      continue;
    }
    if (rule.missing_error != 0) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s missing.", kModuleTag, "ConfigAssistant::CheckAndRebuild", rule.key);
      return rule.missing_error;
    }
    if (rule.default_value != nullptr) SetValue(rule.key, rule.default_value, map);
  }
  return 0;
}

bool IsValidNumericValue(const std::string& value) {
  if (value.empty()) return false;
  size_t dot = std::string::npos;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '.') {
      if (dot != std::string::npos || i == 0) return false;
      dot = i;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  const std::string integer_part = value.substr(0, dot == std::string::npos ? value.size() : dot);
  if (dot != std::string::npos) {
    if (value.size() - dot - 1 > 2) return false;
  } else if (value.size() > 3) {
    return false;
  }
  // The integer part may carry leading zeros ("009"); its value must stay below 10.
  unsigned long whole = 0;
  for (char c : integer_part) whole = whole * 10 + static_cast<unsigned long>(c - '0');
  return whole <= 9;
}

int CheckNumericValues(const ConfigMap& map, const char* operation) {
  static const char* const kKeys[] = {"speed", "volume", "pitch"};
  for (const char* key : kKeys) {
    std::string value;
    if (!GetValue(key, map, value)) continue;
    if (!IsValidNumericValue(value)) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] speed(must be number and x>=%d AND x<=%f and decimals > %d):%s", kModuleTag,
              operation, 0, 9.99, 2, value.c_str());
      return 3;
    }
  }
  return 0;
}

}  // namespace ConfigAssistant
