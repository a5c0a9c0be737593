#include "dll_interface.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "sdk_log.h"

namespace kvo_tts {

CQThreadMutex IDllInterface::load_mutex_;

namespace {

// Symbol addresses as the log line prints them ("%x").
unsigned int AddressForLog(const void* address) {
  return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(address));
}

template <typename Function>
Function SymbolAs(void* symbol) {
  return reinterpret_cast<Function>(symbol);
}

#if !defined(_WIN32)
// The folder of this library, with a trailing '/', or "" if unknown.
std::string OwnFolder() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&AddressForLog), &info) == 0 || info.dli_fname == nullptr) return "";
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
#endif

}  // namespace

std::string ModuleFileName(const std::string& module_name) {
#if defined(_WIN32)
  return module_name + ".dll";
#elif defined(__APPLE__)
  return "lib" + module_name + ".dylib";
#else
  return "lib" + module_name + ".so";
#endif
}

int IDllInterface::Load(const std::string& file_name, const CapInnerItem* item, const ConfigMap& init_config) {
  ScopedTrace trace(kTagCommon, "IDllInterface::Load");
  CQThreadLock lock(load_mutex_);
  // Named from the start so that the failure paths' log lines name the file.
  file_name_ = file_name;
  if (library_ == nullptr && !OpenLibrary(file_name)) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] Load dll %s failed.", kTagCommon, "IDllInterface::Load", file_name.c_str());
    return 23;
  }
  const int result = Init(init_config, item);
  if (result != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] Init dll %s failed.", kTagCommon, "IDllInterface::Load", file_name.c_str());
    UnLoad();
    return result;
  }
  return 0;
}

int IDllInterface::UnLoad() {
  ScopedTrace trace(kTagCommon, "IDllInterface::UnLoad");
  if (CallRelease() != 0) {
    KVO_LOG(KVO_LOG_WARNING, "[%s][%s] relase dll %s failed.", kTagCommon, "IDllInterface::UnLoad", file_name_.c_str());
  }
  if (library_ != nullptr) CloseLibrary();
  return 0;
}

TtsDllInterface::~TtsDllInterface() {
  // The owner unloads before destroying; a module still open here is
  // closed without calling into it again.
  if (library_ != nullptr) CloseLibrary();
}

int TtsDllInterface::Init(const ConfigMap& init_config, const CapInnerItem* item) {
  ScopedTrace trace(kTagTts, "TtsDllInterface::Init");
  if (library_ == nullptr) return 23;
  init_ = SymbolAs<KvoTtsInitFunc>(FindSymbol(KVO_TTS_SYMBOL_INIT));
  start_session_ = SymbolAs<KvoTtsStartSessionFunc>(FindSymbol(KVO_TTS_SYMBOL_START_SESSION));
  synth_ = SymbolAs<KvoTtsSynthFunc>(FindSymbol(KVO_TTS_SYMBOL_SYNTH));
  stop_session_ = SymbolAs<KvoTtsStopSessionFunc>(FindSymbol(KVO_TTS_SYMBOL_STOP_SESSION));
  release_ = SymbolAs<KvoTtsReleaseFunc>(FindSymbol(KVO_TTS_SYMBOL_RELEASE));
  if (init_ != nullptr && start_session_ != nullptr && synth_ != nullptr && stop_session_ != nullptr &&
      release_ != nullptr) {
    return init_(&init_config, item);
  }
  // Noted before unloading, which forgets them.
  const unsigned int addresses[5] = {
      AddressForLog(reinterpret_cast<const void*>(init_)), AddressForLog(reinterpret_cast<const void*>(start_session_)),
      AddressForLog(reinterpret_cast<const void*>(synth_)), AddressForLog(reinterpret_cast<const void*>(stop_session_)),
      AddressForLog(reinterpret_cast<const void*>(release_))};
  UnLoad();
  KVO_LOG(KVO_LOG_ERROR,
          "[%s][%s] Load function from lib failed KvoTtsInit[%x] KvoTtsStartSession[%x] KvoTtsSynth[%x] "
          "KvoTtsStopSession[%x] KvoTtsRelease[%x]",
          kTagTts, "TtsDllInterface::Init", addresses[0], addresses[1], addresses[2], addresses[3], addresses[4]);
  return 23;
}

int TtsDllInterface::CallRelease() {
  if (release_ == nullptr) return 23;
  return release_();
}

bool TtsDllInterface::OpenLibrary(const std::string& file_name) {
#if defined(_WIN32)
  library_ = reinterpret_cast<void*>(LoadLibraryA(file_name.c_str()));
  return library_ != nullptr;
#else
  // A bare file name: dlopen searches LD_LIBRARY_PATH, then the RUNPATH of
  // this library ($ORIGIN), then the system folders.
  library_ = dlopen(file_name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ != nullptr) return true;
  const char* reason = dlerror();
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] %s", kTagTts, "TtsDllInterface::OpenLibrary", reason != nullptr ? reason : "");
  // dlopen takes the RUNPATH of its caller; where dlopen is intercepted
  // (sanitizer runtimes) the caller is not this library and $ORIGIN is
  // lost, so look beside this library explicitly as well.
  const std::string beside = OwnFolder();
  if (beside.empty()) return false;
  library_ = dlopen((beside + file_name).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    reason = dlerror();
    KVO_LOG(KVO_LOG_TRACE, "[%s][%s] %s", kTagTts, "TtsDllInterface::OpenLibrary", reason != nullptr ? reason : "");
  }
  return library_ != nullptr;
#endif
}

void* TtsDllInterface::FindSymbol(const char* name) {
  if (library_ == nullptr) return nullptr;
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library_), name));
#else
  return dlsym(library_, name);
#endif
}

void TtsDllInterface::CloseLibrary() {
  if (library_ != nullptr) {
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(library_));
#else
    dlclose(library_);
#endif
  }
  library_ = nullptr;
  init_ = nullptr;
  start_session_ = nullptr;
  synth_ = nullptr;
  stop_session_ = nullptr;
  release_ = nullptr;
}

int TtsDllInterface::StartSession(const ConfigMap* config, const CapInnerItem* item, ModuleHandle* handle) const {
  if (start_session_ == nullptr) return 23;
  return start_session_(config, item, handle);
}

int TtsDllInterface::Synth(ModuleHandle handle, const ConfigMap* config, const char* text, TtsSynthCallback callback,
                           void* user) const {
  if (synth_ == nullptr) return 23;
  return synth_(handle, config, text, callback, user);
}

int TtsDllInterface::StopSession(ModuleHandle* handle) const {
  if (stop_session_ == nullptr) return 23;
  return stop_session_(handle);
}

}  // namespace kvo_tts
