// The front end's internal character codes back as UTF-8 text.
#pragma once

#include <cstdint>
#include <string>

namespace kvo::analyze {

class FrontEndRunner;

// One internal code as UTF-8: ASCII as itself, a GBK character converted,
// a reading code as its syllable in brackets ("[hang2]"), anything that
// does not convert as U+FFFD.
std::string Utf8OfCode(const FrontEndRunner& runner, uint16_t code);
std::string Utf8OfCodes(const FrontEndRunner& runner, const uint16_t* codes, int count);

}  // namespace kvo::analyze
