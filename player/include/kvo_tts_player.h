/*
 * kvo_tts_player: speaks a text on the sound device through the speech API.
 *
 * Typical use (error handling left out):
 *
 *     kvo_init("dataPath=/usr/share/kvo_tts/data");              // kvo_sys.h
 *     PlayerCallbacks callbacks = {on_state, my_state, on_progress, my_state, on_error, my_state};
 *     kvo_tts_player_init("datapath=/usr/share/kvo_tts/data", &callbacks);
 *     kvo_tts_player_start("今天天气很好。", "capKey=tts.local.synth,audioFormat=pcm16k16bit");
 *     ...                                  // events arrive on the player's threads
 *     kvo_tts_player_stop();               // optional: ends the playback early
 *     ...                                  // wait for PLAYER_EVENT_END
 *     kvo_tts_player_release();
 *     kvo_release();                                                // kvo_sys.h
 *
 * There is one player per process; the functions take no handle. A playback
 * synthesises the whole text on a thread of its own (one speech API session
 * per playback) while the player's play thread feeds the audio to the sound
 * device. Every operation returns at once with a PLAYER_ERR_* code; what the
 * playback does is reported through the callbacks.
 *
 * Events of one playback, in order:
 *
 *   PLAYER_EVENT_BEGIN                        the device is open; state PLAYING
 *   PLAYER_EVENT_PROGRESS (begin, end) ...    a stretch of text starts to sound
 *   PLAYER_EVENT_PAUSED / _RESUMED            after pause and resume requests
 *   PLAYER_EVENT_BUFFERING / _BUFFERED        the device waits for audio / has it again
 *   PLAYER_EVENT_PROGRESS (0, 0)              the last piece has been heard
 *   PLAYER_EVENT_END                          always the last event; state READY
 *
 * A playback that fails before its device is open ends with a single
 * PLAYER_EVENT_ENGINE_ERROR (the session could not be started) or
 * PLAYER_EVENT_DEVICE_ERROR (unplayable audio format, device that cannot be
 * opened) and no END. Once BEGIN has been delivered, END always follows:
 * after the last piece, after a stop, after a synthesis error
 * (ENGINE_ERROR, then END) and after the device was lost (DEVICE_ERROR, then
 * END).
 *
 * Threads: callbacks run on the player's threads (BEGIN and PROGRESS on the
 * device's notification thread, the others on the play thread or the
 * synthesis thread; start errors on the caller's thread). A callback may call
 * get_state, can_stop, pause, resume and stop; it must not call release and
 * must not wait for the player. After kvo_tts_player_release returns no
 * callback runs.
 *
 * Sound device: PortAudio. The environment variable KVO_AUDIO_DEVICE, read by
 * kvo_tts_player_init, chooses another output: "null" is a device without
 * sound that plays as fast as it is fed (on a clock of its own), and
 * "null-realtime" one that plays at the pace of the audio.
 */
#ifndef KVO_TTS_PLAYER_H
#define KVO_TTS_PLAYER_H

#if defined(_WIN32)
#if defined(KVO_TTS_PLAYER_BUILD)
#define KVO_TTS_PLAYER_API __declspec(dllexport)
#else
#define KVO_TTS_PLAYER_API __declspec(dllimport)
#endif
#else
#define KVO_TTS_PLAYER_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Player states (kvo_tts_player_get_state). */
enum {
  PLAYER_STATE_NOT_INIT = 0, /* not initialised, or released */
  PLAYER_STATE_READY = 1,    /* idle; also while a playback is being set up and after it ended */
  PLAYER_STATE_PLAYING = 2,  /* the device of a playback is open and playing */
  PLAYER_STATE_PAUSED = 3,   /* the device has been paused */
  PLAYER_STATE_ERROR = 4     /* a speech API session could not be stopped or released, or a start ran out of memory */
};

/* Events, one numbering for the three callbacks. */
enum {
  PLAYER_EVENT_BEGIN = 0,        /* state_cb: the device of the playback has been opened */
  PLAYER_EVENT_PAUSED = 1,       /* state_cb: a pause request has been carried out */
  PLAYER_EVENT_RESUMED = 2,      /* state_cb: a resume request has been carried out */
  PLAYER_EVENT_PROGRESS = 3,     /* progress_cb: the text bytes [begin, end) start to sound; (0, 0) at the end */
  PLAYER_EVENT_BUFFERING = 4,    /* state_cb: the device is waiting for audio (repeated while it waits) */
  PLAYER_EVENT_END = 5,          /* state_cb: the playback is over */
  PLAYER_EVENT_ENGINE_ERROR = 6, /* error_cb: a speech API call failed; code is its result */
  PLAYER_EVENT_DEVICE_ERROR = 7, /* error_cb, code -1: bad start configuration or audio format, device failure */
  PLAYER_EVENT_NO_MEMORY = 8,    /* state_cb: a memory request failed */
  PLAYER_EVENT_BUFFERED = 9      /* state_cb: audio arrived again after PLAYER_EVENT_BUFFERING */
};

/* Result codes of the operations (texts: kvo_get_player_error_info). */
enum {
  PLAYER_ERR_NONE = 0,
  PLAYER_ERR_NOT_INIT = 1,        /* the player is not initialised */
  PLAYER_ERR_ALREADY_INIT = 2,    /* init while initialised */
  PLAYER_ERR_ALREADY_STARTED = 4, /* start while a playback is in progress */
  PLAYER_ERR_NOT_STARTED = 5,     /* pause, resume or stop without a playback */
  PLAYER_ERR_NO_MEMORY = 6,       /* out of memory */
  PLAYER_ERR_CONFIG = 7           /* init: kvo_tts_init failed; start: the configuration does not parse */
};

typedef void (*PlayerStateCallback)(int event, void* user);
typedef void (*PlayerProgressCallback)(int event, int begin, int end, void* user);
typedef void (*PlayerErrorCallback)(int event, int error_code, void* user);

/* The application's callbacks; any of them may be NULL (its events are then
 * not delivered). The record is copied by kvo_tts_player_init. */
typedef struct PlayerCallbacks {
  PlayerStateCallback state_cb; /* BEGIN, PAUSED, RESUMED, BUFFERING, END, NO_MEMORY, BUFFERED */
  void* state_user;
  PlayerProgressCallback progress_cb; /* PROGRESS: byte offsets into the started text, end exclusive */
  void* progress_user;
  PlayerErrorCallback error_cb; /* ENGINE_ERROR, DEVICE_ERROR */
  void* error_user;
} PlayerCallbacks;

/*
 * Initialises the player: config is handed unchanged to kvo_tts_init
 * (kvo_tts.h; kvo_init must have succeeded). callbacks may be NULL: no
 * event is delivered then. Starts the play thread. Returns PLAYER_ERR_ALREADY_INIT when initialised,
 * PLAYER_ERR_CONFIG when kvo_tts_init fails (after PLAYER_EVENT_ENGINE_ERROR
 * with its code).
 */
KVO_TTS_PLAYER_API int kvo_tts_player_init(const char* config, const PlayerCallbacks* callbacks);

/* The player state (PLAYER_STATE_*). Never fails, never waits. */
KVO_TTS_PLAYER_API int kvo_tts_player_get_state(void);

/* Non-zero while the state is PLAYING or PAUSED. */
KVO_TTS_PLAYER_API int kvo_tts_player_can_stop(void);

/*
 * Starts a playback of text (NUL-terminated, in the code page the
 * configuration gives the speech API; UTF-8 by default) and returns at once.
 * config is the session configuration of the speech API (capKey, volume,
 * speed, pitch, ...; kvo_tts.h), also read by the player:
 *   audioFormat  pcm8k8bit, pcm8k16bit, pcm11k8bit, pcm11k16bit, pcm16k8bit
 *                or pcm16k16bit (the default); other formats cannot be
 *                played (PLAYER_EVENT_DEVICE_ERROR)
 *   deviceId     the number of the output device (decimal digits); the
 *                default output device otherwise
 * Returns PLAYER_ERR_ALREADY_STARTED while a playback is in progress (also
 * while it is still being set up), PLAYER_ERR_CONFIG when config does not
 * parse (after PLAYER_EVENT_DEVICE_ERROR with -1), PLAYER_ERR_NO_MEMORY when
 * the text cannot be copied.
 */
KVO_TTS_PLAYER_API int kvo_tts_player_start(const char* text, const char* config);

/* Pause, resume and stop ask the play thread and return at once; the result
 * arrives as PLAYER_EVENT_PAUSED, _RESUMED and _END. PLAYER_ERR_NOT_STARTED
 * without a playback. Resume does nothing (and returns PLAYER_ERR_NONE)
 * unless the state is PAUSED. */
KVO_TTS_PLAYER_API int kvo_tts_player_pause(void);
KVO_TTS_PLAYER_API int kvo_tts_player_resume(void);
KVO_TTS_PLAYER_API int kvo_tts_player_stop(void);

/*
 * Ends the player: clears the callbacks (no event is delivered from here
 * on), stops a playback in progress and waits for its threads, closes the
 * device, ends the play thread and releases the speech API. If
 * kvo_tts_release fails the player is released all the same.
 */
KVO_TTS_PLAYER_API int kvo_tts_player_release(void);

#ifdef __cplusplus
}
#endif

#endif /* KVO_TTS_PLAYER_H */
