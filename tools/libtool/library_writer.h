// Assembling resource library files from section payloads. Shares the
// container description with the engine's reader (library_format.h).
#ifndef KVO_TOOLS_LIBRARY_WRITER_H
#define KVO_TOOLS_LIBRARY_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace kvo_libtool {

using Bytes = std::vector<uint8_t>;

enum class LibraryKind { kChinese, kEnglish, kDomain };

// Header values of a Chinese or English library.
struct VoiceHeader {
  int32_t sample_rate = 16000;
  int16_t voice_word1 = 0;
  int16_t voice_word2 = 0;
  uint8_t voice_byte29 = 0;
  uint8_t voice_byte30 = 0;
  uint8_t voice_kind = 0;
  uint8_t voice_byte32 = 0;
};

// Number of sections a library of this kind carries.
int32_t SectionCount(LibraryKind kind);

// A Chinese or English library: header, then every section of the kind in
// order; payloads beyond those given are written absent (empty).
// Fails (returns false, error set) with too many payloads or a file over 2 GiB.
bool BuildContainer(LibraryKind kind, const VoiceHeader& header, const std::vector<Bytes>& payloads, Bytes* out,
                    std::string* error);
// A domain library: the five locating values, the phrase dictionary, then
// the phrase speech data.
bool BuildDomain(const Bytes& dictionary, const Bytes& speech, Bytes* out, std::string* error);

// Payloads of sections 1 ... count of a Chinese or English library, the
// chain checked as the engine reads it (each section's offset field its own
// position, its size within the file). False when it breaks before `count`.
bool SectionPayloads(const Bytes& library, int32_t count, std::vector<Bytes>* payloads);

// Payload of section `section` (1-based) of a Chinese or English library,
// or empty when it is absent or the section chain breaks before it.
Bytes SectionPayload(const Bytes& library, int32_t section);

// Payload of a name table section: count, then the NUL-terminated names.
Bytes NameTablePayload(const std::vector<std::string>& names);

bool ReadFile(const std::string& path, Bytes* out, std::string* error);
bool WriteFile(const std::string& path, const Bytes& bytes, std::string* error);

}  // namespace kvo_libtool

#endif
