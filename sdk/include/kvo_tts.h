/*
 * kvo_tts: the speech synthesis API of the KVO text-to-speech SDK.
 *
 * Typical use (error handling left out):
 *
 *     kvo_init("dataPath=/usr/share/kvo_tts/data");             // kvo_sys.h
 *     kvo_tts_init("datapath=/usr/share/kvo_tts/data,initcapkeys=tts.local.synth");
 *     int id;
 *     kvo_tts_session_start("capkey=tts.local.synth,audioformat=pcm16k16bit", &id);
 *     kvo_tts_synth(id, "今天天气很好。", "speed=6", on_result, my_state);
 *     kvo_tts_session_stop(id);
 *     kvo_tts_release();
 *     kvo_release();                                               // kvo_sys.h
 *
 * Configuration strings are comma-separated key=value entries. Keys are
 * case-insensitive, values are case-sensitive, blanks around keys and values
 * are ignored, a repeated key keeps its last value. There is no quoting.
 *
 * Every function returns 0 on success or one of the KVO_TTS_ERR_* codes
 * below; codes of the system library (kvo_sys.h) and of the engine modules
 * are passed through unchanged. kvo_get_error_info() gives a text for any
 * code. Nothing is ever thrown.
 *
 * Threads: any thread may call these functions. kvo_tts_init must return
 * before any other call is made, and kvo_tts_release must only be called
 * after the last session has stopped. Different sessions may synthesise on
 * different threads at the same time. A session is driven by one thread at
 * a time: a second kvo_tts_synth or a kvo_tts_session_stop on a session that
 * is synthesising returns KVO_TTS_ERR_SESSION_BUSY (502) instead of waiting.
 * To end a running synthesis early, return false from the callback.
 */
#ifndef KVO_TTS_H
#define KVO_TTS_H

#include <stdbool.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(KVO_TTS_BUILD)
#define KVO_TTS_API __declspec(dllexport)
#else
#define KVO_TTS_API __declspec(dllimport)
#endif
#else
#define KVO_TTS_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes of the speech API. */
enum {
  KVO_TTS_OK = 0,
  KVO_TTS_ERR_INVALID_ARG = 1,       /* a required argument is null or empty */
  KVO_TTS_ERR_NO_MEMORY = 2,         /* out of memory (also from an engine module) */
  KVO_TTS_ERR_CONFIG = 3,            /* config string does not parse, or a value is not allowed */
  KVO_TTS_ERR_CAPKEY_MISSING = 4,    /* a session config without capkey */
  KVO_TTS_ERR_CAPKEY_INVALID = 5,    /* a capability key that does not start with "tts." */
  KVO_TTS_ERR_NO_DATAPATH = 6,       /* a local capability needs datapath in the init string */
  KVO_TTS_ERR_ENGINE_PARAM = 7,      /* the engine module could not apply the engine parameters */
  KVO_TTS_ERR_RESOURCE_MISSING = 14, /* a resource file of the capability is not under datapath */
  KVO_TTS_ERR_NO_SERVICE_URL = 15,   /* no service address for a cloud capability */
  KVO_TTS_ERR_SESSION_ID = 16,       /* session id outside 0..255 or not open */
  KVO_TTS_ERR_SESSION_LIMIT = 17,    /* the most sessions allowed at once are open */
  KVO_TTS_ERR_SESSIONS_OPEN = 18,    /* kvo_tts_release while sessions are open */
  KVO_TTS_ERR_NO_MODULE = 22,        /* the capability key names no engine module */
  KVO_TTS_ERR_MODULE_LOAD = 23,      /* the engine module will not load or lacks an entry point */
  KVO_TTS_ERR_SYS_NOT_INITED = 100,  /* kvo_init of the system library has not succeeded */
  KVO_TTS_ERR_NOT_INITED = 500,      /* kvo_tts_init has not succeeded */
  KVO_TTS_ERR_ALREADY_INITED = 501,  /* kvo_tts_init called twice */
  KVO_TTS_ERR_SESSION_BUSY = 502,    /* the session is synthesising (or being stopped) */
  KVO_TTS_ERR_ENGINE_INIT = 503,     /* the engine could not be sized or initialised */
  KVO_TTS_ERR_ENGINE_SYNTH = 504,    /* the engine failed during synthesis */
  KVO_TTS_ERR_NO_SLOT = -1           /* all 256 session slots taken, or no module for the key */
};

/*
 * One delivery of a synthesis, valid only during the callback that receives
 * it (copy the audio out if you keep it). A call is one of three kinds:
 *
 *  - progress: text != NULL, text_len > 0, no audio, has_more true. text
 *    points into the caller's own text. The spans of successive progress
 *    calls are adjacent and in order, the first starting at the first byte
 *    of the text: each reports the bytes processed since the previous one.
 *  - audio: voice_data != NULL, voice_size > 0 bytes in the session's audio
 *    format, no text, has_more true.
 *  - last: no text, no audio, has_more false. Exactly one per synthesis that
 *    reached the engine, also after a stop or an engine error.
 */
typedef struct TtsSynthResult {
  const unsigned char* voice_data; /* audio, or NULL */
  uint32_t voice_size;             /* bytes of audio, 0 when none */
  const char* text;                /* start of the reported span of the caller's text, or NULL */
  uint32_t text_len;               /* bytes in that span, 0 when none */
  bool has_more;                   /* true while the synthesis goes on, false on its last call */
} TtsSynthResult;

/*
 * The application's synthesis callback. user is the pointer given to
 * kvo_tts_synth; error_code is 0 (errors reach the application only as the
 * result of kvo_tts_synth).
 *
 * It is called only on the thread inside kvo_tts_synth and never after that
 * call has returned. Return true to continue; return false to stop the
 * synthesis: no further text is read, the last call (has_more false) still
 * follows, and kvo_tts_synth then returns 0.
 */
typedef bool (*TtsSynthCallback)(void* user, const TtsSynthResult* result, int error_code);

/*
 * Initialises the speech API. kvo_init() of the system library must have
 * succeeded (else 100). config may be NULL or empty. Keys:
 *   datapath     folder of the voice resource files; needed by local
 *                capabilities. A trailing path separator is added if missing.
 *   fileflag     "none" (default) or "android_so"; passed to the system
 *                library's capability lookups.
 *   initcapkeys  capability keys separated by ";" to prepare now (resources
 *                verified, engine module loaded); other keys are prepared at
 *                their first session start.
 * Other keys are handed on to the engine modules as they are loaded.
 * Returns 501 if already initialised. A failed init leaves the API not
 * initialised with no engine module loaded.
 */
KVO_TTS_API int kvo_tts_init(const char* config);

/*
 * Releases the speech API and unloads every engine module. Returns 18 while
 * any session is open (nothing changes), 500 when not initialised.
 */
KVO_TTS_API int kvo_tts_release(void);

/*
 * Starts a session and writes its id (0 to 255) to *session_id. config must
 * name capkey (e.g. capkey=tts.local.synth); further keys with their
 * defaults: volume, speed, pitch ("5"; decimals from 0 to 9.99 with at most
 * two decimals), puncmode (off|on|off_rtn|on_rtn, "off"), digitmode
 * (auto_number|auto_telegram|number|telegram, "auto_number"), engmode
 * (auto|english|letter, "auto"), voicestyle (clear|vivid|normal|plain,
 * "normal"). Values are case-sensitive. The engine module checks its own
 * keys (audioformat, soundeffect, ...). The session limit of the system
 * library applies (17).
 */
KVO_TTS_API int kvo_tts_session_start(const char* config, int* session_id);

/*
 * Synthesises text (NUL-terminated, in the session's code page) on the
 * calling thread, delivering results through callback (see TtsSynthResult
 * and TtsSynthCallback) before it returns. config may be NULL; it may set
 * volume, speed, pitch, puncmode, digitmode, engmode, voicestyle and engine
 * keys for this synthesis only (capkey and appkey entries are ignored).
 * Returns 1 for an empty text or a NULL callback, 16 for a session id that
 * is not open, 502 while the session is busy.
 */
KVO_TTS_API int kvo_tts_synth(int session_id, const char* text, const char* config, TtsSynthCallback callback,
                              void* user);

/*
 * Stops a session and frees its id. Returns 16 for an id that is not open,
 * 502 while the session is synthesising. If the engine module refuses to
 * stop, its code is returned and the session stays open and usable.
 */
KVO_TTS_API int kvo_tts_session_stop(int session_id);

#ifdef __cplusplus
}
#endif

#endif /* KVO_TTS_H */
