// The voice catalogue: the capability keys this installation offers, read
// from "catalogue.ini" in the data folder.
#ifndef KVO_SYS_VOICE_CATALOGUE_H
#define KVO_SYS_VOICE_CATALOGUE_H

#include <string>
#include <utility>
#include <vector>

namespace kvo_sys {

extern const char kCatalogueFileName[];

struct CatalogueEntry {
  std::string capkey;
  bool is_cloud = false;
  std::vector<std::pair<std::string, std::string>> properties;  // lang, speaker, gender, ...
  std::vector<std::pair<std::string, std::string>> configs;     // the capability's own configuration
  std::string service_url;
  std::vector<std::pair<std::string, std::string>> resources;  // tag, file name
  int line = 0;                                                // where the section starts
};

struct Catalogue {
  std::vector<CatalogueEntry> entries;
  const CatalogueEntry* Find(const std::string& capkey) const;
};

// Reads and checks the catalogue file. Returns 0, KVO_SYS_CATALOG_MISSING or
// KVO_SYS_CATALOG_MALFORMED; error receives "file:line: reason" on failure.
int LoadCatalogue(const std::string& path, Catalogue& out, std::string& error);
// The same over text already in memory (name is used in messages).
int ParseCatalogue(const std::string& text, const std::string& name, Catalogue& out, std::string& error);

}  // namespace kvo_sys

#endif
