// Texts for the codes of the speech API, the engine and the system library.
// The engine's own codes 3, 5, 6, 9 and 10 share numbers with the speech
// API; their texts cover both meanings. Player codes have their own table.
#include "kvo_sys.h"

namespace {

struct ErrorText {
  int code;
  const char* text;
};

const ErrorText kErrorTexts[] = {
    {0, "success"},
    {-1, "no free session slot, or no engine module registered for the capability key"},
    {1, "a required argument is null or empty"},
    {2, "out of memory"},
    {3, "invalid argument or configuration: the configuration does not parse, or a value is outside its allowed range"},
    {4, "the session configuration has no capkey"},
    {5, "the capability key does not start with \"tts.\", or the engine is not initialised"},
    {6, "no data path for a local capability, or a voice resource library cannot be used"},
    {7, "the engine module failed to apply the engine parameters"},
    {9, "the engine's input mode is not text through the input callback"},
    {10, "the engine is busy with another synthesis"},
    {14, "a resource file of the capability does not exist in the data folder"},
    {15, "no service address is available for the cloud capability"},
    {16, "the session id is outside 0..255 or names no open session"},
    {17, "the most sessions that may be open at once are open"},
    {18, "sessions are still open"},
    {22, "the capability key names no engine module"},
    {23, "the engine module cannot be loaded or lacks an entry point"},
    {100, "the system library is not initialised (call kvo_init first)"},
    {500, "the SDK is not initialised"},
    {501, "the SDK is already initialised"},
    {502, "the session is busy with another synthesis"},
    {503, "the engine module failed to size or initialise its engine"},
    {504, "the engine failed during synthesis"},
    {KVO_SYS_INVALID_ARG, "system library: a required argument is null or empty"},
    {KVO_SYS_BAD_CONFIG, "system library: the init configuration is invalid"},
    {KVO_SYS_ALREADY_INITED, "system library: already initialised"},
    {KVO_SYS_CATALOG_MISSING, "system library: the voice catalogue cannot be read"},
    {KVO_SYS_CATALOG_MALFORMED, "system library: the voice catalogue is malformed (see the log for file and line)"},
    {KVO_SYS_CAPKEY_UNKNOWN, "system library: the capability key is not in the voice catalogue"},
    {KVO_SYS_NO_SERVICE, "system library: no cloud service address is configured"},
    {KVO_SYS_NO_MEMORY, "system library: out of memory"},
};

const char* const kPlayerTexts[] = {
    "success",
    "the player is not initialised",
    "the player is already initialised",
    "unknown player error",
    "a playback is already in progress",
    "no playback is in progress",
    "out of memory",
    "the player configuration is invalid or the speech SDK failed to initialise",
};

}  // namespace

extern "C" {

KVO_SYS_API const char* kvo_get_error_info(int code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return "unknown error";
}

KVO_SYS_API const char* kvo_get_player_error_info(int code) {
  if (code >= 0 && code < static_cast<int>(sizeof kPlayerTexts / sizeof kPlayerTexts[0])) return kPlayerTexts[code];
  return "unknown player error";
}

}  // extern "C"
