// Speech generation reads the engine's analysis item record
// (engine/api/analysis_item.h); this only names it inside the back end.
#pragma once

#include "analysis_item.h"

namespace kvo {
using AnalysisItem = ::qvAnalysisItem;
}  // namespace kvo
