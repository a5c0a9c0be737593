#include "voice_catalogue.h"

#include <cstdio>
#include <set>

#include "config_assistant.h"
#include "kvo_sys.h"

namespace kvo_sys {

const char kCatalogueFileName[] = "catalogue.ini";

namespace {

// The catalogue is small; anything larger is not a catalogue.
const long kMaxCatalogueBytes = 4L * 1024L * 1024L;

int Fail(const std::string& name, int line, const std::string& reason, std::string& error) {
  error = name + ":" + std::to_string(line) + ": " + reason;
  return KVO_SYS_CATALOG_MALFORMED;
}

bool ValidTag(const std::string& tag) { return !tag.empty() && tag.find_first_of(" \t") == std::string::npos; }

}  // namespace

const CatalogueEntry* Catalogue::Find(const std::string& capkey) const {
  for (const CatalogueEntry& entry : entries) {
    if (entry.capkey == capkey) return &entry;
  }
  return nullptr;
}

int ParseCatalogue(const std::string& text, const std::string& name, Catalogue& out, std::string& error) {
  out.entries.clear();
  std::set<std::string> seen;
  std::vector<bool> has_type;
  size_t pos = 0;
  int line_number = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (line.find('\0') != std::string::npos) return Fail(name, line_number, "binary data", error);
    line = ConfigAssistant::Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return Fail(name, line_number, "section header without ']'", error);
      const std::string capkey = ConfigAssistant::Trim(line.substr(1, line.size() - 2));
      if (capkey.empty()) return Fail(name, line_number, "empty capability key", error);
      if (!seen.insert(capkey).second) return Fail(name, line_number, "duplicate capability key " + capkey, error);
      CatalogueEntry entry;
      entry.capkey = capkey;
      entry.line = line_number;
      out.entries.push_back(entry);
      has_type.push_back(false);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return Fail(name, line_number, "expected key = value", error);
    const std::string key = ConfigAssistant::ToLower(ConfigAssistant::Trim(line.substr(0, eq)));
    const std::string value = ConfigAssistant::Trim(line.substr(eq + 1));
    if (key.empty()) return Fail(name, line_number, "empty key", error);
    if (out.entries.empty()) return Fail(name, line_number, "entry before the first [capability key]", error);
    CatalogueEntry& entry = out.entries.back();
    if (key == "type") {
      if (value == "local") {
        entry.is_cloud = false;
      } else if (value == "cloud") {
        entry.is_cloud = true;
      } else {
        return Fail(name, line_number, "type must be local or cloud", error);
      }
      has_type.back() = true;
    } else if (key == "config") {
      ConfigMap map;
      if (!ConfigAssistant::Parse(value.c_str(), map))
        return Fail(name, line_number, "config is not a key=value list", error);
      // Keep the order of the text: callers apply the pairs in order.
      size_t start = 0;
      while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        const std::string piece = value.substr(start, comma - start);
        start = comma + 1;
        const size_t piece_eq = piece.find('=');
        if (ConfigAssistant::Trim(piece).empty() || piece_eq == std::string::npos) continue;
        entry.configs.emplace_back(ConfigAssistant::Trim(piece.substr(0, piece_eq)),
                                   ConfigAssistant::Trim(piece.substr(piece_eq + 1)));
      }
    } else if (key == "service_url") {
      entry.service_url = value;
    } else if (key == "resource") {
      const size_t colon = value.find(':');
      if (colon == std::string::npos) return Fail(name, line_number, "resource must be tag:file", error);
      const std::string tag = ConfigAssistant::Trim(value.substr(0, colon));
      const std::string file = ConfigAssistant::Trim(value.substr(colon + 1));
      if (!ValidTag(tag) || file.empty()) return Fail(name, line_number, "resource must be tag:file", error);
      if (file.find("..") != std::string::npos || file[0] == '/')
        return Fail(name, line_number, "resource file must stay inside the data folder", error);
      entry.resources.emplace_back(tag, file);
    } else {
      if (value.empty()) return Fail(name, line_number, "property " + key + " has no value", error);
      entry.properties.emplace_back(key, value);
    }
  }
  for (size_t i = 0; i < out.entries.size(); ++i) {
    if (!has_type[i]) {
      const CatalogueEntry bad = out.entries[i];
      out.entries.clear();
      return Fail(name, bad.line, "capability " + bad.capkey + " has no type", error);
    }
  }
  return 0;
}

int LoadCatalogue(const std::string& path, Catalogue& out, std::string& error) {
  out.entries.clear();
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = path + ": cannot be read";
    return KVO_SYS_CATALOG_MISSING;
  }
  std::string text;
  char buffer[8192];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
    if (static_cast<long>(text.size()) > kMaxCatalogueBytes) {
      std::fclose(file);
      error = path + ": larger than a catalogue can be";
      return KVO_SYS_CATALOG_MALFORMED;
    }
  }
  std::fclose(file);
  const int result = ParseCatalogue(text, path, out, error);
  if (result != 0) out.entries.clear();
  return result;
}

}  // namespace kvo_sys
