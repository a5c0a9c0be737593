#include "data_folder.h"

#include <strings.h>

#include <cstdio>

#include "kvo_sys.h"

namespace kvo::analyze {

bool ChineseLibraryOfCapability(const std::string& folder, const std::string& capkey, std::string* library,
                                std::string* error, std::string* english) {
  // The configuration string cannot carry a comma inside a value.
  if (folder.find(',') != std::string::npos) {
    *error = "a data folder name must not contain a comma: " + folder;
    return false;
  }
  std::string config = "logLevel=0";
  if (!folder.empty()) config += ",dataPath=" + folder;
  int code = kvo_init(config.c_str());
  if (code != 0) {
    *error = "cannot use the data folder " + (folder.empty() ? std::string("(installed)") : folder) + ": " +
             kvo_get_error_info(code);
    return false;
  }
  CapInnerItem item{};
  code = KVO_GetCapabilityInternalItemByKey(capkey.c_str(), &item, "none");
  bool found = false;
  if (code != 0) {
    *error = "voice catalogue of " + std::string(KVO_GetDataPath()) + ", " + capkey + ": " + kvo_get_error_info(code);
  } else {
    for (int i = 0; i < item.resource_count && !found; ++i) {
      const ResourceEntry& entry = item.resources[i];
      if (entry.tag != nullptr && entry.file_name != nullptr && strcasecmp(entry.tag, "cnlib") == 0) {
        *library = std::string(KVO_GetDataPath()) + entry.file_name;
        found = true;
      }
    }
    for (int i = 0; i < item.resource_count && english != nullptr; ++i) {
      const ResourceEntry& entry = item.resources[i];
      if (entry.tag != nullptr && entry.file_name != nullptr && strcasecmp(entry.tag, "enlib") == 0) {
        const std::string path = std::string(KVO_GetDataPath()) + entry.file_name;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
          std::fclose(f);
          *english = path;
        }
      }
    }
    if (!found) *error = capkey + " names no cnlib resource in " + std::string(KVO_GetDataPath()) + "catalogue.ini";
    KVO_ReleaseCapabilityInternalItem(&item);
  }
  kvo_release();
  return found;
}

}  // namespace kvo::analyze
