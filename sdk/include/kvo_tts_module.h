// The engine-module function table: the five entry points that the speech
// API (libkvo_tts) resolves by name in every engine module it loads.
//
// A module is a shared library named lib<name>.so (<name>.dll on Windows),
// where <name> is chosen from the capability key:
//
//   key contains ".local." and ".n6"   kvo_tts_local_n6_synth
//   key contains ".local." and ".v6"   kvo_tts_local_v6_synth
//   key contains ".local." and ".n4"   kvo_tts_local_n4_synth
//   key contains ".local."             kvo_tts_local_synth
//   key contains ".cloud."             kvo_tts_cloud_synth
//
// (case-sensitive, first match wins). It is found through the normal library
// search; libkvo_tts carries RUNPATH $ORIGIN, so modules installed beside it
// are found. A module is loaded once, KvoTtsInit runs once right after the
// load, and it stays loaded until kvo_tts_release, which calls KvoTtsRelease
// and unloads it.
//
// Modules are built from the same sources as the API: ConfigMap is the type
// of common/config_map.h, passed by pointer and only read by the module;
// CapInnerItem is the record of kvo_sys.h. Both are valid only during the
// call. Every entry point returns 0 or an error code that the API passes on.
//
// Synthesis callback contract (KvoTtsSynth), which every module keeps:
//  1. The callback is called only on the thread inside KvoTtsSynth, and
//     never after KvoTtsSynth has returned.
//  2. A progress call carries a text span (text, text_len > 0), no audio and
//     has_more true. Successive spans are adjacent and in order: each starts
//     where the previous one ended, the first at the start of the text.
//  3. An audio call carries audio, no text and has_more true.
//  4. The last call carries no text, no audio and has_more false. It comes
//     exactly once per synthesis, also after a stop or an engine error.
//  5. A callback returning false asks for a stop: stop feeding text, stop the
//     engine, still make the last call of rule 4, and return 0.
//  The error_code argument of the callback is always 0.
#ifndef KVO_TTS_MODULE_H
#define KVO_TTS_MODULE_H

#ifndef __cplusplus
#error "kvo_tts_module.h is for C++ engine modules (ConfigMap is a C++ type)"
#endif

#include <string>

#include "config_map.h"
#include "kvo_sys.h"
#include "kvo_tts.h"

#if defined(_WIN32)
#define KVO_TTS_MODULE_EXPORT __declspec(dllexport)
#else
#define KVO_TTS_MODULE_EXPORT __attribute__((visibility("default")))
#endif

// Opaque handle of one module session, owned by the module from
// KvoTtsStartSession to KvoTtsStopSession.
typedef void* ModuleHandle;

extern "C" {

// Called once right after the module is loaded, with the API's init
// configuration (the accepted kvo_tts_init string, including datapath) and
// the record of the capability key that caused the load.
typedef int (*KvoTtsInitFunc)(const ConfigMap* init_config, const CapInnerItem* item);
// Starts a module session; on success stores its handle in *handle. The
// session configuration holds the application's entries (with defaults),
// the capability's own configuration and "sessionid".
typedef int (*KvoTtsStartSessionFunc)(const ConfigMap* session_config, const CapInnerItem* item, ModuleHandle* handle);
// Runs one synthesis on the calling thread (see the contract above).
typedef int (*KvoTtsSynthFunc)(ModuleHandle handle, const ConfigMap* synth_config, const char* text,
                               TtsSynthCallback callback, void* user);
// Ends a module session and sets *handle to null. A non-zero result leaves
// the session open.
typedef int (*KvoTtsStopSessionFunc)(ModuleHandle* handle);
// Called once before the module is unloaded.
typedef int (*KvoTtsReleaseFunc)(void);

// The entry points as a module defines them.
KVO_TTS_MODULE_EXPORT int KvoTtsInit(const ConfigMap* init_config, const CapInnerItem* item);
KVO_TTS_MODULE_EXPORT int KvoTtsStartSession(const ConfigMap* session_config, const CapInnerItem* item,
                                             ModuleHandle* handle);
KVO_TTS_MODULE_EXPORT int KvoTtsSynth(ModuleHandle handle, const ConfigMap* synth_config, const char* text,
                                      TtsSynthCallback callback, void* user);
KVO_TTS_MODULE_EXPORT int KvoTtsStopSession(ModuleHandle* handle);
KVO_TTS_MODULE_EXPORT int KvoTtsRelease(void);

}  // extern "C"

#define KVO_TTS_SYMBOL_INIT "KvoTtsInit"
#define KVO_TTS_SYMBOL_START_SESSION "KvoTtsStartSession"
#define KVO_TTS_SYMBOL_SYNTH "KvoTtsSynth"
#define KVO_TTS_SYMBOL_STOP_SESSION "KvoTtsStopSession"
#define KVO_TTS_SYMBOL_RELEASE "KvoTtsRelease"

// The separator that ends a normalised data path on this platform.
#if defined(_WIN32)
#define KVO_TTS_PATH_SEPARATOR '\\'
#else
#define KVO_TTS_PATH_SEPARATOR '/'
#endif

// Normalises a data path the way the API does for "datapath": trims the
// blanks (space, tab, newline, carriage return); a path that is then not
// empty and ends in neither "/" nor "\" gets the platform's separator
// appended. Modules reading "datapath" from the init configuration should
// use the same rule so both sides name the same files.
inline std::string KvoTtsNormaliseDataPath(const std::string& path) {
  const char* blanks = " \t\n\r";
  const size_t begin = path.find_first_not_of(blanks);
  if (begin == std::string::npos) return std::string();
  const size_t end = path.find_last_not_of(blanks);
  std::string out = path.substr(begin, end - begin + 1);
  const char last = out[out.size() - 1];
  if (last != '/' && last != '\\') out += KVO_TTS_PATH_SEPARATOR;
  return out;
}

#endif  // KVO_TTS_MODULE_H
