// The voice information payload (two 32-byte records; the second holds the
// sample rate at its byte 4 and the sample width at its byte 14). Sections
// taken from a library of another rate must name the rate the model is
// trained at, or the engine renders the frames at the wrong speed.
#ifndef KVO_VOICETRAIN_VOICE_INFORMATION_H
#define KVO_VOICETRAIN_VOICE_INFORMATION_H

#include <cstdint>
#include <vector>

namespace voicetrain {

// Writes `rate` into the payload. False (payload unchanged) when it is too
// short to hold the second record.
bool SetVoiceRate(std::vector<uint8_t>& payload, int rate);

// The rate the payload names; 0 when it is too short.
int VoiceRate(const std::vector<uint8_t>& payload);

}  // namespace voicetrain

#endif
