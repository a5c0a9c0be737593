// What a test engine module tells the test program that loaded it.
//
// Every test module reports its events (load, unload, init, start, synth,
// stop, release) to the function KvoTestModuleEvent if the program defines
// and exports it, and keeps counters that KvoTestReadCounts reads while
// the module is loaded.
#ifndef KVO_TESTS_SDK_TEST_MODULE_PROBE_H
#define KVO_TESTS_SDK_TEST_MODULE_PROBE_H

#ifdef __cplusplus
extern "C" {
#endif

// module: the module's name (e.g. "kvo_tts_local_synth"); event: one of
// "load", "unload", "init", "start", "synth", "stop", "release"; detail:
// the configuration the entry point received, serialised ("" if none).
typedef void (*KvoTestModuleEventFunc)(const char* module, const char* event, const char* detail);
#define KVO_TEST_MODULE_EVENT_SYMBOL "KvoTestModuleEvent"

typedef struct KvoTestModuleCounts {
  long long inits;
  long long releases;
  long long starts;         // successful KvoTtsStartSession
  long long stops;          // successful KvoTtsStopSession
  long long synths;         // KvoTtsSynth calls
  long long callbacks;      // application callback calls made
  long long live_sessions;  // started and not stopped
  long long max_live_sessions;
  long long overlapping_synths;  // a handle entered while a synthesis ran on it
  long long stale_handles;       // a handle used after it was stopped
} KvoTestModuleCounts;

typedef void (*KvoTestModuleCountsFunc)(KvoTestModuleCounts* out);
#define KVO_TEST_MODULE_COUNTS_SYMBOL "KvoTestReadCounts"

#ifdef __cplusplus
}
#endif

#endif
