// libkvo_tts loads engine modules from its own folder through RUNPATH
// $ORIGIN. The program copies libkvo_tts and a test module into a fresh
// folder, loads that copy and runs init, session, synthesis, stop and
// release through it; the module must come from the same folder. It exits 0
// and prints "1 passed, 0 failed" when everything held.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kvo_sys.h"
#include "kvo_tts.h"

namespace {

int g_failures = 0;

void Check(bool condition, const std::string& what) {
  if (!condition) {
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    ++g_failures;
  }
}

std::string RunPath(void* library) {
  struct link_map* map = nullptr;
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return "";
  const char* strings = nullptr;
  ElfW(Xword) runpath = 0;
  bool has_runpath = false;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d) {
    if (d->d_tag == DT_STRTAB) strings = reinterpret_cast<const char*>(d->d_un.d_ptr);
    if (d->d_tag == DT_RUNPATH) {
      runpath = d->d_un.d_val;
      has_runpath = true;
    }
  }
  return strings != nullptr && has_runpath ? std::string(strings + runpath) : std::string();
}

struct Synthesis {
  int calls = 0;
  int last_calls = 0;
  std::string spoken;
};

bool OnResult(void* user, const TtsSynthResult* result, int) {
  Synthesis* s = static_cast<Synthesis*>(user);
  ++s->calls;
  if (!result->has_more) ++s->last_calls;
  if (result->text != nullptr) s->spoken.append(result->text, result->text_len);
  return true;
}

template <typename F>
F Symbol(void* library, const char* name) {
  F f = reinterpret_cast<F>(dlsym(library, name));
  Check(f != nullptr, std::string("symbol ") + name);
  return f;
}

}  // namespace

int main() {
  if (std::getenv("LD_LIBRARY_PATH") != nullptr) std::printf("note: LD_LIBRARY_PATH is set\n");
  char pattern[] = "/tmp/kvo_runpath_XXXXXX";
  const std::string folder = mkdtemp(pattern);
  namespace fs = std::filesystem;
  fs::copy_file(KVO_TTS_LIBRARY, folder + "/libkvo_tts.so.1");
  fs::copy_file(KVO_TEST_MODULE, folder + "/libkvo_tts_local_synth.so");
  std::ofstream(folder + "/catalogue.ini") << "[tts.local.synth]\ntype = local\nresource = cnlib:voice.kvl\n";
  std::ofstream(folder + "/voice.kvl") << "voice";

  void* library = dlopen((folder + "/libkvo_tts.so.1").c_str(), RTLD_NOW | RTLD_LOCAL);
  Check(library != nullptr, "load the copied libkvo_tts");
  if (library == nullptr) return 1;
  Check(RunPath(library) == "$ORIGIN", "RUNPATH is exactly $ORIGIN, found \"" + RunPath(library) + "\"");

  auto init = Symbol<int (*)(const char*)>(library, "kvo_tts_init");
  auto release = Symbol<int (*)()>(library, "kvo_tts_release");
  auto start = Symbol<int (*)(const char*, int*)>(library, "kvo_tts_session_start");
  auto synth = Symbol<int (*)(int, const char*, const char*, TtsSynthCallback, void*)>(library, "kvo_tts_synth");
  auto stop = Symbol<int (*)(int)>(library, "kvo_tts_session_stop");
  if (g_failures != 0) return 1;

  Check(kvo_init(("dataPath=" + folder + ",logLevel=5,logFilePath=" + folder).c_str()) == KVO_SYS_OK, "kvo_init");
  Check(init(("datapath=" + folder).c_str()) == KVO_TTS_OK, "kvo_tts_init");
  int id = -1;
  const int started = start("capkey=tts.local.synth", &id);
  Check(started == KVO_TTS_OK, "session start: " + std::to_string(started));
  void* module = dlopen((folder + "/libkvo_tts_local_synth.so").c_str(), RTLD_LAZY | RTLD_NOLOAD);
  Check(module != nullptr, "the module beside libkvo_tts is the one loaded");
  if (module != nullptr) dlclose(module);
  Synthesis result;
  Check(synth(id, "beside", nullptr, &OnResult, &result) == KVO_TTS_OK, "synthesis");
  Check(result.spoken == "beside" && result.last_calls == 1, "callback contract");
  Check(stop(id) == KVO_TTS_OK, "session stop");
  Check(release() == KVO_TTS_OK, "release");
  kvo_release();
  dlclose(library);
  if (g_failures != 0) {
    std::ifstream log(folder + "/kvo_tts.log");
    std::fprintf(stderr, "%s", std::string(std::istreambuf_iterator<char>(log), {}).c_str());
  }
  fs::remove_all(folder);
  std::printf("%d passed, %d failed\n", g_failures == 0 ? 1 : 0, g_failures == 0 ? 0 : 1);
  return g_failures == 0 ? 0 : 1;
}
