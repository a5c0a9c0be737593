// kvo-say --play: the text spoken on the sound device through the player.
#ifndef KVO_SAY_PLAY_H
#define KVO_SAY_PLAY_H

#include <string>

namespace kvosay {

// True when kvo-say was built with the player.
bool CanPlay();

// Lists the output devices PortAudio finds (or the null device that
// KVO_AUDIO_DEVICE chooses) on standard output. Returns the exit status.
int ListDevices();

// Speaks text with the session configuration on device (-1: the default),
// printing each stretch of text to stderr as it starts to sound when
// progress is set. Ctrl-C stops the playback and waits for its end. Returns
// the exit status: 0 played, 1 an SDK or device error, 130 interrupted.
int Play(const std::string& init_config, const std::string& text, const std::string& session_config, int device,
         bool progress);

}  // namespace kvosay

#endif
