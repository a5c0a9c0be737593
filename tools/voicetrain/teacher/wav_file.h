// Minimal mono 16-bit PCM WAV reading and writing for the training tools.
#ifndef KVO_VOICETRAIN_WAV_FILE_H
#define KVO_VOICETRAIN_WAV_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace voicetrain {

bool WriteWav16(const std::string& path, const std::vector<int16_t>& samples, int rate);
// Reads a mono 16-bit PCM file; false for anything else.
bool ReadWav16(const std::string& path, std::vector<int16_t>& samples, int& rate);

}  // namespace voicetrain

#endif
