// Smoke check of an installation: starts the system library on the default
// (or given) data folder and prints the voices of its catalogue.
#include <cstdio>
#include <string>

#include "kvo_sys.h"

int main(int argc, char** argv) {
  std::string config = "logLevel=0";
  if (argc > 1) config += ",dataPath=" + std::string(argv[1]);
  int code = kvo_init(config.c_str());
  if (code != 0) {
    std::fprintf(stderr, "kvo_init failed: %d (%s)\n", code, kvo_get_error_info(code));
    return 1;
  }
  std::printf("data folder: %s\n", KVO_GetDataPath());
  CapabilityList list;
  code = kvo_get_capability_list("tts", &list);
  if (code != 0) {
    std::fprintf(stderr, "voice catalogue: %d (%s)\n", code, kvo_get_error_info(code));
    kvo_release();
    return 1;
  }
  for (int i = 0; i < list.count; ++i) {
    std::printf("%s", list.items[i].capkey);
    for (int p = 0; p < list.items[i].property_count; ++p)
      std::printf("  %s=%s", list.items[i].properties[p].name, list.items[i].properties[p].value);
    std::printf("\n");
  }
  kvo_free_capability_list(&list);
  kvo_release();
  return 0;
}
