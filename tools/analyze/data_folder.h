// The Chinese library of a capability in a data folder's voice catalogue,
// found through the system library as the engine module finds it.
#pragma once

#include <string>

namespace kvo::analyze {

// folder empty: the installed data folder. False with a message when the
// catalogue, the capability or its cnlib entry is missing.
bool ChineseLibraryOfCapability(const std::string& folder, const std::string& capkey, std::string* library,
                                std::string* error);

}  // namespace kvo::analyze
