#include "library_dump.h"

#include <cstring>

#include "core/library_format.h"

namespace kvo_libtool {

using namespace kvo_library;

namespace {

void Line(std::string* text, const std::string& name, long long value) {
  *text += name + ": " + std::to_string(value) + "\n";
}

bool Fault(std::string* text, const std::string& message) {
  *text += "error: " + message + "\n";
  return false;
}

bool DumpDomain(const Bytes& bytes, std::string* text) {
  *text += "kind: domain\n";
  Line(text, "file size", static_cast<long long>(bytes.size()));
  if (bytes.size() < static_cast<size_t>(kDomainHeaderBytes)) return Fault(text, "shorter than the domain header");
  static const char* const kParts[] = {"phrase dictionary", "phrase speech"};
  for (int32_t i = 0; i < kDomainSectionCount; ++i) {
    const int64_t offset = LoadLe32(bytes.data() + 8 * i);
    const int64_t size = LoadLe32(bytes.data() + 8 * i + 4);
    *text += std::string(kParts[i]) + ": offset " + std::to_string(offset) + " size " + std::to_string(size) + "\n";
    if (offset < kDomainHeaderBytes || size < 0 || offset + size > static_cast<int64_t>(bytes.size())) {
      return Fault(text, std::string(kParts[i]) + " lies outside the file");
    }
  }
  Line(text, "reserved", LoadLe32(bytes.data() + 4 * kDomainReservedField));
  return true;
}

bool DumpContainer(const Bytes& bytes, LibraryKind kind, std::string* text) {
  *text += kind == LibraryKind::kChinese ? "kind: chinese\n" : "kind: english\n";
  Line(text, "file size", static_cast<long long>(bytes.size()));
  if (bytes.size() < static_cast<size_t>(kHeaderBytes)) return Fault(text, "shorter than the 64-byte header");
  const uint8_t* h = bytes.data();
  const bool magic = std::memcmp(h, kMagic, kMagicBytes) == 0;
  *text += std::string("magic: ") + (magic ? "ok" : "wrong") + "\n";
  Line(text, "sample rate", LoadLe32(h + kSampleRateOffset));
  Line(text, "voice word 1", LoadLe16(h + kVoiceWord1Offset));
  Line(text, "voice word 2", LoadLe16(h + kVoiceWord2Offset));
  Line(text, "language", h[kLanguageOffset]);
  Line(text, "voice byte 29", h[29]);
  Line(text, "voice byte 30", h[30]);
  Line(text, "voice kind", h[kVoiceKindOffset]);
  Line(text, "voice byte 32", h[32]);
  const int64_t file_size = static_cast<int64_t>(bytes.size());
  int64_t position = kHeaderBytes;
  for (int32_t number = 1; number <= SectionCount(kind); ++number) {
    const std::string name = "section " + std::to_string(number);
    if (position + kSectionHeaderBytes > file_size) return Fault(text, name + " starts past the end of the file");
    const int32_t offset = LoadLe32(h + position);
    const int32_t size = LoadLe32(h + position + 4);
    *text += name + ": at " + std::to_string(position) + " payload offset " + std::to_string(position + 8) +
             " payload size " + std::to_string(static_cast<int64_t>(size) - 8) + (size == 8 ? " (absent)" : "") + "\n";
    if (offset != position) return Fault(text, name + " names offset " + std::to_string(offset));
    if (size < kSectionHeaderBytes) return Fault(text, name + " size " + std::to_string(size) + " is too small");
    if (position + size > file_size) return Fault(text, name + " runs past the end of the file");
    position += size;
  }
  if (position != file_size) Line(text, "trailing bytes", file_size - position);
  if (!magic) return Fault(text, "wrong magic");
  return true;
}

}  // namespace

bool DumpLibrary(const Bytes& bytes, std::optional<LibraryKind> kind, std::string* text) {
  text->clear();
  if (!kind) {
    const bool magic =
        bytes.size() >= static_cast<size_t>(kHeaderBytes) && std::memcmp(bytes.data(), kMagic, kMagicBytes) == 0;
    if (!magic) {
      kind = LibraryKind::kDomain;
    } else {
      kind = bytes[kLanguageOffset] == kLanguageChinese ? LibraryKind::kChinese : LibraryKind::kEnglish;
    }
  }
  if (*kind == LibraryKind::kDomain) return DumpDomain(bytes, text);
  return DumpContainer(bytes, *kind, text);
}

}  // namespace kvo_libtool
