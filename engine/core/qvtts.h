/* Engine core API: one engine instance in one caller-supplied block.
 * Plain C linkage so that both engine modules and plain C callers can use it.
 * Every entry point returns 0 on success or one of the QVTTS_ERR_* codes. */
#ifndef KVO_ENGINE_QVTTS_H
#define KVO_ENGINE_QVTTS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* qvTTS_HANDLE;

/* Error codes. */
#define QVTTS_ERR_OK 0
#define QVTTS_ERR_INVALID_ARG 3
#define QVTTS_ERR_NOT_INIT 5
#define QVTTS_ERR_RESOURCE 6
#define QVTTS_ERR_INPUT_MODE 9
#define QVTTS_ERR_BUSY 10

/* Parameter ids for qvTTS_SetParam. */
#define QVTTS_PARAM_VOLUME 0
#define QVTTS_PARAM_SPEED 1
#define QVTTS_PARAM_PITCH 2
#define QVTTS_PARAM_CODEPAGE 3
#define QVTTS_PARAM_DIGIT_MODE 4
#define QVTTS_PARAM_PUNC_MODE 5
#define QVTTS_PARAM_TAG_MODE 6
#define QVTTS_PARAM_AUDIO_FORMAT 7
#define QVTTS_PARAM_ENG_MODE 8
#define QVTTS_PARAM_INPUT_MODE 9
#define QVTTS_PARAM_OUTPUT_CHUNK_SIZE 10
#define QVTTS_PARAM_PROGRESS_PROC 11
#define QVTTS_PARAM_INPUT_TEXT_PROC 12
#define QVTTS_PARAM_SPARE_PROC 13
#define QVTTS_PARAM_OUTPUT_VOICE_PROC 14
#define QVTTS_PARAM_SYLLABLE_PROC 15
#define QVTTS_PARAM_USER_DATA 17
#define QVTTS_PARAM_VOICE_STYLE 18
#define QVTTS_PARAM_BACKGROUND_FILE 19
#define QVTTS_PARAM_BACKGROUND_VOLUME 20
#define QVTTS_PARAM_BACKGROUND_PLAY_ONCE 21
#define QVTTS_PARAM_BACKGROUND_LENGTH 22
#define QVTTS_PARAM_SOUND_EFFECT 23
#define QVTTS_PARAM_MIX_SOUND 24
#define QVTTS_PARAM_WORD_SEGMENT_PROC 25
#define QVTTS_PARAM_SPEED_MODE 26
#define QVTTS_PARAM_SILENCE_MODE 27
#define QVTTS_PARAM_NAME_POLYPHONE 28
/* Accepted only by engine variants that define them. */
#define QVTTS_PARAM_SPEEDUP 29
#define QVTTS_PARAM_SYMBOL_FILTER 31
#define QVTTS_PARAM_SPECIAL_NUMBERS 32
#define QVTTS_PARAM_GAIN_FACTOR 33

/* Input mode value that qvTTS_SynthesizeText requires. */
#define QVTTS_INPUT_MODE_CALLBACK 1
/* Largest chunk the input callback is ever offered. */
#define QVTTS_INPUT_CHUNK_BYTES 1024

/* Callbacks. All run on the synthesizing thread and get the user data
 * (parameter 17) first. Only the input callback's result is used. */

/* Fill buffer with up to *length bytes (1024 on entry) and store the count
 * delivered; 0 bytes ends the text. A non-zero return aborts the synthesis
 * and becomes its result. */
typedef int (*qvTTS_InputTextProc)(void* user_data, char* buffer, int32_t* length);
/* Byte span of the input text (from its very start) being spoken next. */
typedef int (*qvTTS_ProgressProc)(void* user_data, int32_t text_begin, int32_t text_length);
/* Never called by the engine; stored for callers that set it. */
typedef int (*qvTTS_SpareProc)(void* user_data);
/* A piece of output audio; the last call of a synthesis is (0, NULL, 0). */
typedef int (*qvTTS_OutputVoiceProc)(void* user_data, int32_t kind, const void* data, int32_t bytes);
/* A unit whose sound has been delivered: its two-byte character and its
 * spelling with tone digit (empty for units that are not syllables). */
typedef int (*qvTTS_SyllableProc)(void* user_data, int32_t kind, const char* character, int32_t character_bytes,
                                  const char* spelling, int32_t spelling_bytes);
/* One word of a Chinese sentence after word building. */
typedef int (*qvTTS_WordSegmentProc)(void* user_data, int32_t text_begin, int32_t text_length, int32_t part_of_speech);

/* Block size (instance record plus arena) for these libraries. */
int qvTTS_GetExtBufSize(const char* chinese_library, const char* english_library, const char* domain_library,
                        int32_t* size);
/* Builds an instance in block, which must hold the size reported above and
 * stay untouched until qvTTS_End has returned. */
int qvTTS_Init(const char* chinese_library, const char* english_library, const char* domain_library,
               qvTTS_HANDLE* handle, void* block);
/* Pointer-valued parameters (callbacks, user data, background file path)
 * pass the pointer converted to intptr_t. */
int qvTTS_SetParam(qvTTS_HANDLE handle, int32_t id, intptr_t value);
int qvTTS_SynthesizeText(qvTTS_HANDLE handle);
/* Safe from inside a callback and from another thread. */
int qvTTS_SynthStop(qvTTS_HANDLE handle);
int qvTTS_End(qvTTS_HANDLE handle);

#ifdef __cplusplus
}
#endif

#endif
