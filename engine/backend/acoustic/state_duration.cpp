#include "backend/acoustic/state_duration.h"

#include "backend/acoustic/model_tree.h"
#include "backend/labels/context_label.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

namespace {
constexpr int64_t kRhoLimit = int64_t{1} << 31;
constexpr int64_t kCarryLimit = int64_t{1} << 40;
}  // namespace

AcousticStatus ComputeStateDurations(const VoiceModel& model, const int8_t* labels, int phones,
                                     const DurationSettings& settings, int32_t* stateFrames, int32_t* totalFrames) {
  const StreamDescriptor& sd = model.streams[ml::kStreamDuration];
  const int dm = sd.meanBits[0], dv = sd.precisionBits[0];
  const bool styled = settings.voiceStyle >= 0 && settings.voiceStyle < ml::kVoiceStyleCount;
  int pm = 0, pv = 0;
  if (styled) {
    const StreamDescriptor& pd = model.streams[ml::kStreamPhoneDuration + settings.voiceStyle];
    pm = pd.meanBits[0];
    pv = pd.precisionBits[0];
  }
  int d = dm;
  if (dv > d) d = dv;
  if (pm > d) d = pm;
  if (pv > d) d = pv;
  const int64_t half = int64_t{1} << (dm - 1);
  const int64_t minimum = int64_t{1} << dm;
  int64_t carry = 0;
  int64_t total = 0;
  for (int p = 0; p < phones; ++p) {
    const int8_t* label = labels + p * kLabelBytes;
    int leaf = FindLeaf(model, model.durationTree, label);
    if (leaf < 1 || static_cast<uint32_t>(leaf) > model.durationLeaves) return AcousticStatus::kBadModel;
    const int16_t* dist = model.durations + (leaf - 1) * ml::kDurationLeafValues;
    int64_t m[ml::kStateCount], v[ml::kStateCount];
    int64_t sumM = 0, sumV = 0;
    for (int s = 0; s < ml::kStateCount; ++s) {
      m[s] = static_cast<int64_t>(dist[s]) * (int64_t{1} << (d - dm));
      v[s] = static_cast<int64_t>(dist[ml::kStateCount + s]) * (int64_t{1} << (d - dv));
    }
    int64_t rho = 0;
    int64_t phoneMean = 0, phoneVar = 0;
    if (styled) {
      const StreamDescriptor& pd = model.streams[ml::kStreamPhoneDuration + settings.voiceStyle];
      int pleaf = FindLeaf(model, model.phoneDurationTree[settings.voiceStyle], label);
      uint8_t rec[ml::kPhoneDurationLeafBytes];
      if (pleaf < 1 || pleaf > pd.count ||
          !model.source.ReadAt(pd.position + static_cast<int64_t>(pleaf - 1) * ml::kPhoneDurationLeafBytes,
                               ml::kPhoneDurationLeafBytes, rec))
        return AcousticStatus::kBadModel;
      phoneMean = static_cast<int64_t>(ReadI16(rec)) * (int64_t{1} << (d - pm));
      phoneVar = static_cast<int64_t>(ReadI16(rec + 2)) * (int64_t{1} << (d - pv));
    }
    const bool edge = settings.modelChanged && (p == 0 || p == phones - 1);
    const bool silence = settings.silenceMode && static_cast<uint8_t>(label[2]) == settings.silencePhoneId;
    for (int s = 0; s < ml::kStateCount; ++s) {
      if (edge || silence) m[s] /= 4;
      sumM += m[s];
      sumV += v[s];
    }
    if (styled) {
      int64_t denominator = 10 * sumV + phoneVar;
      if (denominator != 0) rho = (phoneMean - sumM) * (int64_t{1} << 14) / denominator * 10;
      // Bounded so that the products below stay inside 64 bits.
      if (rho > kRhoLimit) rho = kRhoLimit;
      if (rho < -kRhoLimit) rho = -kRhoLimit;
    }
    for (int s = 0; s < ml::kStateCount; ++s) {
      int64_t di = m[s] + rho * v[s] / (int64_t{1} << 14);
      int64_t rounded = (di + carry + half) & ~int64_t{511};
      if (rounded < minimum) rounded = minimum;
      carry += di - rounded;
      if (carry > kCarryLimit) carry = kCarryLimit;
      if (carry < -kCarryLimit) carry = -kCarryLimit;
      int64_t frames = rounded >> dm;
      if (frames > kMaxStateFrames) frames = kMaxStateFrames;
      stateFrames[p * ml::kStateCount + s] = static_cast<int32_t>(frames);
      total += frames;
    }
  }
  *totalFrames = static_cast<int32_t>(total);
  return AcousticStatus::kOk;
}

}  // namespace backend
}  // namespace kvo
