// A small, deterministic test voice built with the library writer.
#ifndef KVO_TESTS_ENGINE_API_TEST_VOICE_H
#define KVO_TESTS_ENGINE_API_TEST_VOICE_H

#include <string>
#include <vector>

#include "library_writer.h"

namespace test_voice {

using kvo_libtool::Bytes;

struct Options {
  int32_t sample_rate = 16000;
  uint8_t voice_kind = 0;
  bool gbk = true;
  bool big5 = true;
  bool unicode = true;
};

// The syllable names of section 8, in order.
const std::vector<std::string>& SyllableNames();

std::vector<Bytes> ChinesePayloads(const Options& options);
// The voice model stores file positions, so it is written again for its
// place after sections 1 to 18 whenever one of them changes size; it is left
// empty when it cannot be written.
void RewriteVoiceModel(std::vector<Bytes>* payloads, int32_t sample_rate);
Bytes ChineseLibrary(const Options& options = {});
// The library with one section's payload replaced (1-based section number).
Bytes ChineseLibraryWithSection(int32_t section, const Bytes& payload, const Options& options = {});
// Sections of patterns; with a voice, section 9 holds the small test voice
// model (whose questions know the English pause phone).
Bytes EnglishLibrary(int32_t sample_rate = 16000, bool with_voice = false);
Bytes DomainLibrary();

}  // namespace test_voice

#endif
