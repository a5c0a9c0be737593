// Capability lookups over the voice catalogue. Records handed out are
// deep copies in malloc'd memory so that they outlive catalogue reloads.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "config_assistant.h"
#include "kvo_sys.h"
#include "sys_state.h"
#include "voice_catalogue.h"

namespace {

char* CopyText(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

template <typename T>
T* AllocArray(size_t count) {
  if (count == 0) return nullptr;
  return static_cast<T*>(std::calloc(count, sizeof(T)));
}

// Reads the catalogue of the configured data folder; logs where it is broken.
int ReadCatalogue(kvo_sys::Catalogue& catalogue, const char* operation) {
  std::string data_path;
  {
    kvo_sys::SysState& state = kvo_sys::State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.inited) return KVO_SYS_NOT_INITED;
    data_path = state.settings.data_path;
  }
  std::string error;
  const int result = kvo_sys::LoadCatalogue(data_path + kvo_sys::kCatalogueFileName, catalogue, error);
  if (result != 0) KVO_LOG(KVO_LOG_ERROR, "[%s][%s] voice catalogue %s", "kvo_sys", operation, error.c_str());
  return result;
}

bool FillItem(const kvo_sys::CatalogueEntry& entry, CapabilityItem* item) {
  item->capkey = CopyText(entry.capkey);
  item->property_count = static_cast<int>(entry.properties.size());
  item->properties = AllocArray<CapabilityProperty>(entry.properties.size());
  if (!item->capkey || (item->property_count > 0 && !item->properties)) return false;
  for (size_t i = 0; i < entry.properties.size(); ++i) {
    item->properties[i].name = CopyText(entry.properties[i].first);
    item->properties[i].value = CopyText(entry.properties[i].second);
    if (!item->properties[i].name || !item->properties[i].value) return false;
  }
  return true;
}

void FreeItem(CapabilityItem* item) {
  for (int i = 0; i < item->property_count && item->properties; ++i) {
    std::free(item->properties[i].name);
    std::free(item->properties[i].value);
  }
  std::free(item->properties);
  std::free(item->capkey);
  std::memset(item, 0, sizeof *item);
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         ConfigAssistant::ToLower(text.substr(0, prefix.size())) == ConfigAssistant::ToLower(prefix);
}

}  // namespace

extern "C" {

KVO_SYS_API int KVO_GetCapabilityInternalItemByKey(const char* capkey, CapInnerItem* item, const char* file_flag) {
  (void)file_flag;  // every platform reads the same file names
  if (item == nullptr) return KVO_SYS_INVALID_ARG;
  std::memset(item, 0, sizeof *item);
  if (capkey == nullptr || *capkey == '\0') return KVO_SYS_INVALID_ARG;
  kvo_sys::Catalogue catalogue;
  const int result = ReadCatalogue(catalogue, "KVO_GetCapabilityInternalItemByKey");
  if (result != 0) return result;
  const kvo_sys::CatalogueEntry* entry = catalogue.Find(capkey);
  if (entry == nullptr) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] capability %s is not in the voice catalogue", "kvo_sys",
            "KVO_GetCapabilityInternalItemByKey", capkey);
    return KVO_SYS_CAPKEY_UNKNOWN;
  }
  item->is_cloud = entry->is_cloud ? 1 : 0;
  item->config_count = static_cast<int>(entry->configs.size());
  item->configs = AllocArray<CapConfigPair>(entry->configs.size());
  item->resource_count = static_cast<int>(entry->resources.size());
  item->resources = AllocArray<ResourceEntry>(entry->resources.size());
  item->service_url = entry->service_url.empty() ? nullptr : CopyText(entry->service_url);
  bool ok = (item->config_count == 0 || item->configs) && (item->resource_count == 0 || item->resources) &&
            (entry->service_url.empty() || item->service_url);
  for (size_t i = 0; ok && i < entry->configs.size(); ++i) {
    item->configs[i].key = CopyText(entry->configs[i].first);
    item->configs[i].value = CopyText(entry->configs[i].second);
    ok = item->configs[i].key && item->configs[i].value;
  }
  for (size_t i = 0; ok && i < entry->resources.size(); ++i) {
    item->resources[i].tag = CopyText(entry->resources[i].first);
    item->resources[i].file_name = CopyText(entry->resources[i].second);
    ok = item->resources[i].tag && item->resources[i].file_name;
  }
  if (!ok) {
    KVO_ReleaseCapabilityInternalItem(item);
    return KVO_SYS_NO_MEMORY;
  }
  return 0;
}

KVO_SYS_API int KVO_ReleaseCapabilityInternalItem(CapInnerItem* item) {
  if (item == nullptr) return KVO_SYS_INVALID_ARG;
  for (int i = 0; i < item->config_count && item->configs; ++i) {
    std::free(item->configs[i].key);
    std::free(item->configs[i].value);
  }
  std::free(item->configs);
  for (int i = 0; i < item->resource_count && item->resources; ++i) {
    std::free(item->resources[i].tag);
    std::free(item->resources[i].file_name);
  }
  std::free(item->resources);
  std::free(item->service_url);
  std::memset(item, 0, sizeof *item);
  return 0;
}

KVO_SYS_API int kvo_get_capability_list(const char* prefix, CapabilityList* list) {
  if (list == nullptr) return KVO_SYS_INVALID_ARG;
  list->items = nullptr;
  list->count = 0;
  kvo_sys::Catalogue catalogue;
  const int result = ReadCatalogue(catalogue, "kvo_get_capability_list");
  if (result != 0) return result;
  const std::string wanted = prefix ? prefix : "";
  size_t matching = 0;
  for (const auto& entry : catalogue.entries) matching += StartsWithIgnoringCase(entry.capkey, wanted) ? 1 : 0;
  list->items = AllocArray<CapabilityItem>(matching);
  if (matching > 0 && !list->items) return KVO_SYS_NO_MEMORY;
  for (const auto& entry : catalogue.entries) {
    if (!StartsWithIgnoringCase(entry.capkey, wanted)) continue;
    CapabilityItem& item = list->items[list->count++];
    if (!FillItem(entry, &item)) {
      kvo_free_capability_list(list);
      return KVO_SYS_NO_MEMORY;
    }
  }
  return 0;
}

KVO_SYS_API int kvo_get_capability(const char* capkey, CapabilityItem* item) {
  if (item == nullptr) return KVO_SYS_INVALID_ARG;
  std::memset(item, 0, sizeof *item);
  if (capkey == nullptr || *capkey == '\0') return KVO_SYS_INVALID_ARG;
  kvo_sys::Catalogue catalogue;
  const int result = ReadCatalogue(catalogue, "kvo_get_capability");
  if (result != 0) return result;
  const kvo_sys::CatalogueEntry* entry = catalogue.Find(capkey);
  if (entry == nullptr) return KVO_SYS_CAPKEY_UNKNOWN;
  if (!FillItem(*entry, item)) {
    FreeItem(item);
    return KVO_SYS_NO_MEMORY;
  }
  return 0;
}

KVO_SYS_API int kvo_free_capability_list(CapabilityList* list) {
  if (list == nullptr) return KVO_SYS_INVALID_ARG;
  for (int i = 0; i < list->count && list->items; ++i) FreeItem(&list->items[i]);
  std::free(list->items);
  list->items = nullptr;
  list->count = 0;
  return 0;
}

KVO_SYS_API int kvo_free_capability_item(CapabilityItem* item) {
  if (item == nullptr) return KVO_SYS_INVALID_ARG;
  FreeItem(item);
  return 0;
}

}  // extern "C"
