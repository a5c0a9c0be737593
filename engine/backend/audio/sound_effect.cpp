#include "backend/audio/sound_effect.h"

#include <cstring>

#include "backend/audio/audio_format.h"
#include "backend/vocoder/dsp_tables.h"
#include "core/saturate.h"

namespace kvo::backend {

namespace {

constexpr int32_t kNearFarStepSamples = 129;

int32_t Wrap(int32_t v, int32_t n) { return (v % n + n) % n; }

void Reverb(SoundEffectState* s, int16_t* x, int32_t count, int32_t r) {
  const int32_t len = 64 * r;
  int32_t p = Wrap(s->position, len);
  for (int32_t i = 0; i < count; ++i) {
    int16_t y = SaturateToInt16(x[i] + s->history[p] / 4);
    s->history[p] = y;
    x[i] = y;
    if (++p == len) p = 0;
  }
  s->position = p;
}

void Echo(SoundEffectState* s, int16_t* x, int32_t count, int32_t voiceRate) {
  const int32_t d = EchoDelaySamples(s->level, voiceRate);
  if (d <= 0) return;
  const int32_t len = 4 * d;
  int32_t p = Wrap(s->position, len);
  for (int32_t i = 0; i < count; ++i) {
    // The history holds inputs only, so the echoes do not feed back.
    int32_t acc = x[i];
    int32_t divisor = 2;
    for (int tap = 1; tap <= 4; ++tap, divisor *= 2) acc += s->history[Wrap(p - tap * d, len)] / divisor;
    s->history[p] = x[i];
    x[i] = SaturateToInt16(acc);
    if (++p == len) p = 0;
  }
  s->position = p;
}

void Chorus(SoundEffectState* s, int16_t* x, int32_t count) {
  const int32_t len = kChorusHistorySamples;
  int32_t p = Wrap(s->position, len);
  int32_t* c = s->counters;
  for (int k = 0; k < 3; ++k) c[k] = Wrap(c[k], k == 0 ? 8000 : 4000);
  for (int32_t i = 0; i < count; ++i) {
    int32_t d1 = kChorusDelay1[c[0] / 32];
    int32_t d2 = kChorusDelay2[c[1] / 32];
    int32_t d3 = kChorusDelay3[c[2] / 32];
    int32_t acc = x[i] + s->history[Wrap(p - d1, len)] / 2 + s->history[Wrap(p - d2, len)] / 4 +
                  s->history[Wrap(p - d3, len)] / 8;
    s->history[p] = x[i];
    x[i] = SaturateToInt16(acc);
    if (++p == len) p = 0;
    if (++c[0] == 8000) c[0] = 0;
    if (++c[1] == 4000) c[1] = 0;
    if (++c[2] == 4000) c[2] = 0;
  }
  s->position = p;
}

void NearFar(SoundEffectState* s, int16_t* x, int32_t count) {
  int32_t* c = s->counters;  // c[0]: samples into the current gain step, c[1]: gain index
  c[0] = Wrap(c[0], kNearFarStepSamples);
  c[1] = Wrap(c[1], kNearFarGainCount);
  for (int32_t i = 0; i < count; ++i) {
    x[i] = SaturateToInt16(static_cast<int64_t>(x[i]) * kNearFarGains[c[1]] / 32768);
    if (++c[0] == kNearFarStepSamples) {
      c[0] = 0;
      if (++c[1] == kNearFarGainCount) c[1] = 0;
    }
  }
}

void Robot(SoundEffectState* s, int16_t* x, int32_t count) {
  int32_t& k = s->counters[0];
  k = Wrap(k, kRobotCarrierCount);
  for (int32_t i = 0; i < count; ++i) {
    x[i] = SaturateToInt16(static_cast<int64_t>(x[i]) * kRobotCarrier[k] / 32768);
    if (++k == kRobotCarrierCount) k = 0;
  }
}

}  // namespace

int SelectSoundEffect(SoundEffectState* s, int32_t kind) {
  if (!s || kind < kEffectNone || kind > kEffectRobot) return kBackendInvalidArgument;
  std::memset(s, 0, sizeof *s);
  s->kind = static_cast<int16_t>(kind);
  s->level = 32767;
  return kBackendOk;
}

void SetEffectMixLevel(SoundEffectState* s, int32_t level) {
  if (!s) return;
  level = ClampInt32(level, -32768, 32767);
  if (level == -32768) {
    s->kind = kEffectNone;
  } else {
    std::memset(s, 0, sizeof *s);
    s->kind = kEffectEcho;
  }
  s->level = static_cast<int16_t>(level);
}

int32_t EchoDelaySamples(int32_t level, int32_t voiceRate) {
  const int32_t r = voiceRate / 1000;
  if (r <= 0) return 0;
  int32_t ms = static_cast<int32_t>((static_cast<int64_t>(level) + 32768) * kEffectMaxEchoMs / 65535);
  int32_t d = r * ms;
  return d * 4 > kEffectHistorySamples ? kEffectHistorySamples / 4 : d;
}

void ApplyEffect(SoundEffectState* s, int16_t* samples, int32_t count, int32_t voiceRate) {
  if (!s || !samples || count <= 0) return;
  const int32_t r = voiceRate / 1000;
  if (r <= 0) return;
  switch (s->kind) {
    case kEffectReverb:
      if (64 * r <= kEffectHistorySamples) Reverb(s, samples, count, r);
      break;
    case kEffectEcho:
      Echo(s, samples, count, voiceRate);
      break;
    case kEffectChorus:
      Chorus(s, samples, count);
      break;
    case kEffectNearFar:
      NearFar(s, samples, count);
      break;
    case kEffectRobot:
      Robot(s, samples, count);
      break;
    default:
      break;
  }
}

int32_t EffectTailSamples(const SoundEffectState* s, int32_t voiceRate) {
  const int32_t r = voiceRate / 1000;
  if (!s || r <= 0) return 0;
  switch (s->kind) {
    case kEffectReverb:
      return 64 * r <= kEffectHistorySamples ? 8 * 64 * r : 0;  // 4^-8 < 2^-15
    case kEffectEcho:
      return 4 * EchoDelaySamples(s->level, voiceRate);
    case kEffectChorus:
      return kChorusHistorySamples;
    default:
      return 0;
  }
}

void ClearEffectHistory(SoundEffectState* s) {
  if (!s) return;
  s->position = 0;
  s->counters[0] = s->counters[1] = s->counters[2] = 0;
  std::memset(s->history, 0, sizeof s->history);
}

}  // namespace kvo::backend
