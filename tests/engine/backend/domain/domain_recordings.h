// Recorded phrases decoded for comparison with what the engine plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace domain_test {

// G.729 frames decoded from the standard initial state, as the engine
// plays one phrase; a partial frame at the end is left out.
std::vector<int16_t> DecodeFrames(const std::vector<uint8_t>& coded);

// Each phrase's recording as the engine plays it: its frames decoded from
// the standard initial state, in phrase order. Empty when the file is
// missing or too short for its phrase table.
std::vector<std::vector<int16_t>> PhraseRecordings(const std::string& path);

}  // namespace domain_test
