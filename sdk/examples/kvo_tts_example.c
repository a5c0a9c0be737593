/*
 * kvo_tts_example: the smallest complete use of the speech API, in C.
 *
 *   kvo_tts_example <data folder> [capkey] [text] [out.raw]
 *
 * Starts the system library and the speech API on the data folder, opens a
 * session for the capability key (default tts.local.synth), synthesises the
 * text, checks what the callback receives against the callback contract,
 * optionally writes the audio to a file, and shuts everything down again.
 * Exits 0 when every call succeeded and the contract held.
 */
#include <stdbool.h>
#include <stdio.h>
#include <string.h>

#include "kvo_sys.h"
#include "kvo_tts.h"

typedef struct Synthesis {
    const char* text;      /* the text handed to kvo_tts_synth */
    const char* next_span; /* where the next progress span must start */
    unsigned long audio_bytes;
    int progress_calls;
    int audio_calls;
    int last_calls;
    int broken; /* calls that break the contract */
    FILE* out;
} Synthesis;

static bool on_result(void* user, const TtsSynthResult* result, int error_code) {
    Synthesis* s = (Synthesis*)user;
    if (s->last_calls > 0 || error_code != 0) ++s->broken; /* nothing after the last call */
    if (!result->has_more) {
        ++s->last_calls;
        if (result->voice_data != NULL || result->voice_size != 0 || result->text != NULL || result->text_len != 0)
            ++s->broken;
    } else if (result->text != NULL) {
        ++s->progress_calls;
        if (result->text != s->next_span || result->text_len == 0 || result->voice_data != NULL) ++s->broken;
        s->next_span = result->text + result->text_len;
    } else if (result->voice_data != NULL && result->voice_size > 0) {
        ++s->audio_calls;
        s->audio_bytes += result->voice_size;
        if (s->out != NULL) fwrite(result->voice_data, 1, result->voice_size, s->out);
    } else {
        ++s->broken;
    }
    return true; /* false would stop the synthesis */
}

static int report(const char* what, int code) {
    if (code != 0) fprintf(stderr, "%s failed: %d (%s)\n", what, code, kvo_get_error_info(code));
    return code;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s <data folder> [capkey] [text] [out.raw]\n", argv[0]);
        return 2;
    }
    const char* data = argv[1];
    const char* capkey = argc > 2 ? argv[2] : "tts.local.synth";
    const char* text = argc > 3 ? argv[3] : "\xe4\xbd\xa0\xe5\xa5\xbd, world.";
    char config[1024];

    snprintf(config, sizeof config, "dataPath=%s", data);
    if (report("kvo_init", kvo_init(config))) return 1;

    int failed = 0;
    snprintf(config, sizeof config, "datapath=%s,initcapkeys=%s", data, capkey);
    if (report("kvo_tts_init", kvo_tts_init(config)) == 0) {
        int session = -1;
        snprintf(config, sizeof config, "capkey=%s,audioformat=pcm16k16bit,speed=5", capkey);
        if (report("kvo_tts_session_start", kvo_tts_session_start(config, &session)) == 0) {
            Synthesis s;
            memset(&s, 0, sizeof s);
            s.text = text;
            s.next_span = text;
            s.out = argc > 4 ? fopen(argv[4], "wb") : NULL;
            failed |= report("kvo_tts_synth", kvo_tts_synth(session, text, NULL, on_result, &s)) != 0;
            if (s.out != NULL) fclose(s.out);
            printf("progress calls %d, audio calls %d (%lu bytes), last calls %d, text covered %d of %d bytes\n",
                   s.progress_calls, s.audio_calls, s.audio_bytes, s.last_calls, (int)(s.next_span - text),
                   (int)strlen(text));
            if (s.broken != 0 || s.last_calls != 1 || s.next_span != text + strlen(text)) {
                fprintf(stderr, "the callback contract did not hold (%d broken calls)\n", s.broken);
                failed = 1;
            }
            failed |= report("kvo_tts_session_stop", kvo_tts_session_stop(session)) != 0;
        } else {
            failed = 1;
        }
        failed |= report("kvo_tts_release", kvo_tts_release()) != 0;
    } else {
        failed = 1;
    }
    kvo_release();
    printf(failed ? "contract check failed\n" : "contract held\n");
    return failed ? 1 : 0;
}
