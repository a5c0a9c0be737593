#include "core/resource_library.h"

#include <cstring>

using namespace kvo_library;

namespace {

bool FileSize(FILE* file, int32_t* size) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long end = std::ftell(file);
  if (end < 0 || end > INT32_MAX) return false;
  *size = static_cast<int32_t>(end);
  return true;
}

// Loads the block of file that starts at `start` into the least recently
// used block of the cache; its index, or -1 when the file gave nothing.
int32_t LoadBlock(qvReadCache* cache, FILE* file, int32_t file_size, int32_t start) {
  int32_t victim = 0;
  for (int32_t i = 1; i < cache->blocks; ++i) {
    if (cache->block[i].used < cache->block[victim].used) victim = i;
  }
  qvReadCacheBlock& b = cache->block[victim];
  b.file = nullptr;
  b.valid = 0;
  int32_t want = file_size - start;
  if (want > kReadCacheBytes) want = kReadCacheBytes;
  if (want <= 0 || std::fseek(file, start, SEEK_SET) != 0) return -1;
  const size_t got = std::fread(cache->buffer + victim * kReadCacheBytes, 1, static_cast<size_t>(want), file);
  if (got == 0) return -1;
  b.file = file;
  b.position = start;
  b.valid = static_cast<int32_t>(got);
  return victim;
}

// The block that holds `position` of file, loading it if need be; -1 when
// it cannot be read.
int32_t FindBlock(qvReadCache* cache, FILE* file, int32_t file_size, int32_t position) {
  auto holds = [&](int32_t i) {
    const qvReadCacheBlock& b = cache->block[i];
    return b.file == file && position >= b.position && position < b.position + b.valid;
  };
  int32_t found = holds(cache->last) ? cache->last : -1;
  for (int32_t i = 0; found < 0 && i < cache->blocks; ++i) {
    if (holds(i)) found = i;
  }
  if (found < 0) found = LoadBlock(cache, file, file_size, position - position % kReadCacheBytes);
  // A file cut short since it was opened may end before `position`.
  if (found < 0 || !holds(found)) return -1;
  cache->block[found].used = ++cache->clock;
  cache->last = found;
  return found;
}

// Reads [position, position + n) of file through the cache; the caller has
// checked that the range lies inside file_size.
bool CachedRead(qvReadCache* cache, FILE* file, int32_t file_size, int32_t position, uint8_t* dst, int32_t n) {
  while (n > 0) {
    const int32_t i = FindBlock(cache, file, file_size, position);
    if (i < 0) break;
    const qvReadCacheBlock& b = cache->block[i];
    int32_t take = b.position + b.valid - position;
    if (take > n) take = n;
    std::memcpy(dst, cache->buffer + i * kReadCacheBytes + (position - b.position), static_cast<size_t>(take));
    dst += take;
    position += take;
    n -= take;
  }
  if (n > 0) {
    std::memset(dst, 0, static_cast<size_t>(n));
    return false;
  }
  return true;
}

bool ReadFileRange(qvLibrary* library, int32_t position, void* dst, int32_t n) {
  if (position < 0 || n < 0 || position > library->file_size - n) {
    if (n > 0) std::memset(dst, 0, static_cast<size_t>(n));
    return false;
  }
  return CachedRead(library->cache, library->file, library->file_size, position, static_cast<uint8_t*>(dst), n);
}

bool OpenFile(qvLibrary* library, const char* path, qvReadCache* cache) {
  std::memset(library, 0, sizeof(*library));
  if (path == nullptr) return false;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  int32_t size = 0;
  if (!FileSize(file, &size)) {
    std::fclose(file);
    return false;
  }
  library->file = file;
  library->file_size = size;
  library->cache = cache;
  return true;
}

bool Fail(qvLibrary* library) {
  qvLibrary_Close(library);
  return false;
}

}  // namespace

void qvReadCache_Init(qvReadCache* cache, uint8_t* buffer, int32_t blocks) {
  std::memset(cache->block, 0, sizeof(cache->block));
  cache->blocks = blocks < 1 ? 1 : (blocks > kReadCacheBlocks ? kReadCacheBlocks : blocks);
  cache->last = 0;
  cache->clock = 0;
  cache->buffer = buffer;
}

void qvReadCache_Forget(qvReadCache* cache, const FILE* file) {
  if (cache == nullptr || file == nullptr) return;
  for (qvReadCacheBlock& b : cache->block) {
    if (b.file == file) {
      b.file = nullptr;
      b.valid = 0;
    }
  }
}

bool qvLibrary_OpenContainer(qvLibrary* library, const char* path, const qvContainerRules& rules, qvReadCache* cache) {
  if (!OpenFile(library, path, cache)) return false;
  if (rules.section_count < 0 || rules.section_count >= kMaxSections) return Fail(library);
  uint8_t header[kHeaderBytes];
  if (!ReadFileRange(library, 0, header, kHeaderBytes)) return Fail(library);
  if (rules.check_magic && std::memcmp(header, kMagic, kMagicBytes) != 0) return Fail(library);
  if (rules.require_chinese_language && header[kLanguageOffset] != kLanguageChinese) return Fail(library);

  // Each section must name its own position and a size that moves the
  // chain forward and stays inside the file.
  int32_t position = kHeaderBytes;
  for (int32_t number = 1; number <= rules.section_count; ++number) {
    if (position > library->file_size - kSectionHeaderBytes) return Fail(library);
    uint8_t lead[kSectionHeaderBytes];
    if (!ReadFileRange(library, position, lead, kSectionHeaderBytes)) return Fail(library);
    const int32_t offset = LoadLe32(lead);
    const int32_t size = LoadLe32(lead + 4);
    if (offset != position || size < kSectionHeaderBytes || size > library->file_size - position) {
      return Fail(library);
    }
    library->section[number].offset = position + kSectionHeaderBytes;
    library->section[number].size = size - kSectionHeaderBytes;
    position += size;
  }
  library->section_count = rules.section_count;
  return true;
}

bool qvLibrary_OpenDomain(qvLibrary* library, const char* path, qvReadCache* cache) {
  if (!OpenFile(library, path, cache)) return false;
  uint8_t header[kDomainHeaderBytes];
  if (!ReadFileRange(library, 0, header, kDomainHeaderBytes)) return Fail(library);
  const int32_t parts[kDomainSectionCount][2] = {
      {LoadLe32(header + 4 * kDomainDictionaryOffsetField), LoadLe32(header + 4 * kDomainDictionarySizeField)},
      {LoadLe32(header + 4 * kDomainSpeechOffsetField), LoadLe32(header + 4 * kDomainSpeechSizeField)},
  };
  for (int32_t i = 0; i < kDomainSectionCount; ++i) {
    const int32_t offset = parts[i][0];
    const int32_t size = parts[i][1];
    if (offset < kDomainHeaderBytes || size < 0 || offset > library->file_size - size) return Fail(library);
    library->section[i + 1].offset = offset;
    library->section[i + 1].size = size;
  }
  library->section_count = kDomainSectionCount;
  return true;
}

void qvLibrary_Close(qvLibrary* library) {
  if (library->file != nullptr) {
    qvReadCache_Forget(library->cache, library->file);
    std::fclose(library->file);
  }
  library->file = nullptr;
  library->file_size = 0;
  library->section_count = 0;
}

int32_t qvLibrary_SectionSize(const qvLibrary* library, int32_t section) {
  if (library->file == nullptr || section < 1 || section > library->section_count) return 0;
  return library->section[section].size;
}

bool qvLibrary_Read(qvLibrary* library, int32_t section, int32_t offset, void* dst, int32_t n) {
  const int32_t size = qvLibrary_SectionSize(library, section);
  if (n < 0) return false;
  if (offset < 0 || offset > size - n) {
    if (n > 0) std::memset(dst, 0, static_cast<size_t>(n));
    return false;
  }
  return ReadFileRange(library, library->section[section].offset + offset, dst, n);
}

int16_t qvLibrary_ReadI16(qvLibrary* library, int32_t section, int32_t offset) {
  uint8_t bytes[2];
  qvLibrary_Read(library, section, offset, bytes, 2);
  return LoadLe16(bytes);
}

int32_t qvLibrary_ReadI32(qvLibrary* library, int32_t section, int32_t offset) {
  uint8_t bytes[4];
  qvLibrary_Read(library, section, offset, bytes, 4);
  return LoadLe32(bytes);
}

namespace {

bool ReadSectionRef(void* user, uint32_t offset, void* dst, uint32_t n) {
  const qvSectionRef* ref = static_cast<const qvSectionRef*>(user);
  if (offset > INT32_MAX || n > INT32_MAX) return false;
  return qvLibrary_Read(ref->library, ref->section, static_cast<int32_t>(offset), dst, static_cast<int32_t>(n));
}

}  // namespace

SectionReader qvLibrary_SectionReader(qvSectionRef* ref) {
  SectionReader r;
  const int32_t size = qvLibrary_SectionSize(ref->library, ref->section);
  if (size <= 0) return r;
  r.size = static_cast<uint32_t>(size);
  r.read = ReadSectionRef;
  r.user = ref;
  return r;
}

bool qvLibrary_ProbeHeader(const char* path, qvVoiceHeader* header) {
  if (path == nullptr) return false;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  uint8_t bytes[kHeaderBytes];
  const bool complete = std::fread(bytes, 1, sizeof(bytes), file) == sizeof(bytes);
  std::fclose(file);
  if (!complete) return false;
  header->sample_rate = LoadLe32(bytes + kSampleRateOffset);
  header->voice_kind = bytes[kVoiceKindOffset];
  return true;
}

bool qvFileOpens(const char* path) {
  if (path == nullptr) return false;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool qvLibrary_ReadHeader(qvLibrary* library, uint8_t* header) {
  if (library->file == nullptr) return false;
  return ReadFileRange(library, 0, header, kHeaderBytes);
}
