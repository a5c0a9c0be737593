// What the tiny voice build tests share: reading the files a build wrote
// and speaking a text with the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tiny_voice {

std::vector<char> ReadFile(const std::string& path);

// Synthesises UTF-8 `text` with the Chinese library and, when given, the
// English one into *samples. False when the engine does not start on the
// libraries (*samples then stays empty).
bool Speak(const std::string& chinese, const char* english, const std::string& text, std::vector<int16_t>* samples);

}  // namespace tiny_voice
