// The phrase recordings of a domain library, decoded for comparison with
// what the engine plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace domain_test {

// Each phrase's recording as the engine plays it: its frames decoded from
// the standard initial state, in phrase order. Empty when the file is
// missing or too short for its phrase table.
std::vector<std::vector<int16_t>> PhraseRecordings(const std::string& path);

}  // namespace domain_test
