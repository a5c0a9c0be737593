// The Chinese (and English) library of a capability in a data folder's voice catalogue,
// found through the system library as the engine module finds it.
#pragma once

#include <string>

namespace kvo::analyze {

// folder empty: the installed data folder. False with a message when the
// catalogue, the capability or its cnlib entry is missing.
// *english (when given) gets the enlib entry's file, or stays empty when
// the capability names none or its file is missing (Chinese still reads).
bool ChineseLibraryOfCapability(const std::string& folder, const std::string& capkey, std::string* library,
                                std::string* error, std::string* english = nullptr);

}  // namespace kvo::analyze
