// The tone sandhi step of the Chinese analysis over the finished items.
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/prosody/tone_sandhi.h"

namespace kvo::frontend {

bool ApplyToneSandhi(const AnalysisResources& res, qvAnalysisItem* items, int32_t count) {
  Sandhi(items, count, res.syllableCodeCount, res.tones == 6 ? kVoiceKindSixTones : 0);
  return true;
}

}  // namespace kvo::frontend
