// Step 7 of the Chinese analysis: the voice's boundary models decide where
// prosodic words and intonational phrases begin.
#include "frontend/analysis/chinese_analysis.h"
#include "frontend/prosody/prosodic_boundary.h"

namespace kvo::frontend {

bool PredictBoundaries(const AnalysisResources& res, WordList* words) {
  PredictBoundaries(*words, res.prosodicWordModel, res.phraseModel);
  return true;
}

}  // namespace kvo::frontend
