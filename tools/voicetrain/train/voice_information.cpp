#include "train/voice_information.h"

#include <cstddef>

namespace voicetrain {

namespace {
constexpr size_t kRateAt = 32 + 4;
constexpr size_t kRecordsBytes = 64;
}  // namespace

bool SetVoiceRate(std::vector<uint8_t>& payload, int rate) {
  if (payload.size() < kRecordsBytes) return false;
  const uint32_t v = static_cast<uint32_t>(rate);
  for (size_t i = 0; i < 4; ++i) payload[kRateAt + i] = static_cast<uint8_t>(v >> (8 * i));
  return true;
}

int VoiceRate(const std::vector<uint8_t>& payload) {
  if (payload.size() < kRecordsBytes) return 0;
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(payload[kRateAt + i]) << (8 * i);
  return static_cast<int>(v);
}

}  // namespace voicetrain
