// Sound effects applied in place to each finished block of 16-bit samples
// at the voice's sample rate: reverb, echo, chorus, near-far and robot.
// The state lives in the engine instance and persists across blocks and
// syntheses until a new selection or ClearEffectHistory.
#pragma once

#include <cstdint>

namespace kvo::backend {

enum SoundEffectKind : int16_t {
  kEffectNone = 0,  // "base"
  kEffectReverb = 1,
  kEffectEcho = 2,
  kEffectChorus = 3,
  kEffectNearFar = 4,
  kEffectRobot = 5,
};

constexpr int32_t kEffectMaxEchoMs = 120;
// Four echo taps of up to 120 ms at a 22050-Hz voice (22 samples per ms).
constexpr int32_t kEffectHistorySamples = 4 * 22 * kEffectMaxEchoMs;
constexpr int32_t kChorusHistorySamples = 1140;

struct SoundEffectState {
  int16_t kind;
  int16_t level;
  int32_t position;     // write position in the history
  int32_t counters[3];  // modulation counters
  int16_t history[kEffectHistorySamples];
};

// Selecting an effect kind (0..5) clears the state and sets the level to
// 32767. Returns kBackendInvalidArgument for another kind.
int SelectSoundEffect(SoundEffectState* state, int32_t kind);

// Mix level: -32768 switches the effect off (keeping the level); any other
// value clears the state and selects the echo with that level.
void SetEffectMixLevel(SoundEffectState* state, int32_t level);

// Echo delay in samples for the state's level and a voice rate, limited so
// that four taps fit into the history.
int32_t EchoDelaySamples(int32_t level, int32_t voiceRate);

// Applies the effect in place; nothing for kind 0, an empty block, a
// missing state or a voice rate below 1000 Hz. Results saturate to 16 bits.
void ApplyEffect(SoundEffectState* state, int16_t* samples, int32_t count, int32_t voiceRate);

// Samples after the last input until the effect's output has died away:
// an echo's four taps, a reverb's decay below one step of 16 bits, the
// chorus's longest delay; 0 for the effects without memory.
int32_t EffectTailSamples(const SoundEffectState* state, int32_t voiceRate);

// Zeroes the write position, the counters and the history.
void ClearEffectHistory(SoundEffectState* state);

}  // namespace kvo::backend
