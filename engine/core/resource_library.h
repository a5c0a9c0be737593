// Resource library files: opening with the container checks, bounds-checked
// section reads through the instance's one read cache, closing.
#ifndef KVO_ENGINE_RESOURCE_LIBRARY_H
#define KVO_ENGINE_RESOURCE_LIBRARY_H

#include <cstdint>

#include "core/engine_instance.h"
#include "core/section_reader.h"

// An empty cache over `blocks` blocks of kReadCacheBytes at buffer.
void qvReadCache_Init(qvReadCache* cache, uint8_t* buffer, int32_t blocks = 1);
// Drops what the cache holds of file; to be called before the file is
// closed (a later file may get the same FILE address).
void qvReadCache_Forget(qvReadCache* cache, const FILE* file);

struct qvContainerRules {
  int32_t section_count;
  bool check_magic;
  bool require_chinese_language;
};

// Opens a Chinese or English library: header, magic and language checks and
// the whole section chain. False (library left closed) when the file does not
// open or any check fails.
bool qvLibrary_OpenContainer(qvLibrary* library, const char* path, const qvContainerRules& rules, qvReadCache* cache);
// Opens a domain library: the five locating values must describe two parts
// inside the file.
bool qvLibrary_OpenDomain(qvLibrary* library, const char* path, qvReadCache* cache);
void qvLibrary_Close(qvLibrary* library);
inline bool qvLibrary_IsOpen(const qvLibrary* library) { return library->file != nullptr; }

// Payload bytes of a section; 0 when absent, not open or out of range.
int32_t qvLibrary_SectionSize(const qvLibrary* library, int32_t section);

// Reads n bytes at offset within the payload of section. A read that does
// not lie wholly inside the payload, or that the file cannot serve, fills
// dst with zeros and returns false.
bool qvLibrary_Read(qvLibrary* library, int32_t section, int32_t offset, void* dst, int32_t n);
// Little-endian values; 0 for a read outside the section.
int16_t qvLibrary_ReadI16(qvLibrary* library, int32_t section, int32_t offset);
int32_t qvLibrary_ReadI32(qvLibrary* library, int32_t section, int32_t offset);

// One section of an open library, for the readers that take a SectionReader.
struct qvSectionRef {
  qvLibrary* library;
  int32_t section;
};
// A reader over the section's payload; empty (size 0) when the section is
// absent. The reference must outlive the reader.
SectionReader qvLibrary_SectionReader(qvSectionRef* ref);

// The voice facts of a library's header, read without opening it for use.
struct qvVoiceHeader {
  int32_t sample_rate;
  uint8_t voice_kind;
};
// False when the file does not open or is shorter than a header.
bool qvLibrary_ProbeHeader(const char* path, qvVoiceHeader* header);
bool qvFileOpens(const char* path);

// The 64-byte header of an open Chinese or English library.
bool qvLibrary_ReadHeader(qvLibrary* library, uint8_t* header);
#endif
