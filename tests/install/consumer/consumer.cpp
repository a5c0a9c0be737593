// Uses only the installed headers and libraries: starts the system library
// on the installed data folder, reads the catalogue and starts the speech API.
#include <kvo_sys.h>
#include <kvo_tts.h>

#include <cstdio>

int main() {
  if (kvo_init(nullptr) != 0) return 1;
  CapabilityList list;
  const int code = kvo_get_capability_list("tts", &list);
  std::printf("%d voices\n", code == 0 ? list.count : -1);
  bool ok = code == 0 && list.count > 0;
  kvo_free_capability_list(&list);
  ok = ok && kvo_tts_init(nullptr) == 0 && kvo_tts_release() == 0;
  kvo_release();
  return ok ? 0 : 1;
}
