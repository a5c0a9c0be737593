#include "frontend/normalisation/sentence_patterns.h"

namespace kvo::frontend {

void ApplySentencePatterns(const AnalysisResources&, const NormalisationSettings&, WordList*) {}

}  // namespace kvo::frontend
