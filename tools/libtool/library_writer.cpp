#include "library_writer.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "core/library_format.h"

namespace kvo_libtool {

using namespace kvo_library;

int32_t SectionCount(LibraryKind kind) {
  switch (kind) {
    case LibraryKind::kChinese:
      return kChineseSectionCount;
    case LibraryKind::kEnglish:
      return kEnglishSectionCount;
    case LibraryKind::kDomain:
      return kDomainSectionCount;
  }
  return 0;
}

bool BuildContainer(LibraryKind kind, const VoiceHeader& header, const std::vector<Bytes>& payloads, Bytes* out,
                    std::string* error) {
  if (kind == LibraryKind::kDomain) {
    *error = "a domain library has no section chain";
    return false;
  }
  const int32_t count = SectionCount(kind);
  if (static_cast<int32_t>(payloads.size()) > count) {
    *error = "too many sections: " + std::to_string(payloads.size()) + " given, " + std::to_string(count) +
             " in this kind of library";
    return false;
  }
  uint64_t total = kHeaderBytes;
  for (const Bytes& p : payloads) total += kSectionHeaderBytes + p.size();
  total += static_cast<uint64_t>(count - static_cast<int32_t>(payloads.size())) * kSectionHeaderBytes;
  if (total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    *error = "library larger than 2 GiB";
    return false;
  }
  out->assign(kHeaderBytes, 0);
  std::memcpy(out->data(), kMagic, kMagicBytes);
  StoreLe32(out->data() + kSampleRateOffset, header.sample_rate);
  StoreLe16(out->data() + kVoiceWord1Offset, header.voice_word1);
  StoreLe16(out->data() + kVoiceWord2Offset, header.voice_word2);
  (*out)[kLanguageOffset] = kind == LibraryKind::kChinese ? kLanguageChinese : kLanguageEnglish;
  (*out)[29] = header.voice_byte29;
  (*out)[30] = header.voice_byte30;
  (*out)[kVoiceKindOffset] = header.voice_kind;
  (*out)[32] = header.voice_byte32;
  for (int32_t i = 0; i < count; ++i) {
    static const Bytes kAbsent;
    const Bytes& payload = i < static_cast<int32_t>(payloads.size()) ? payloads[i] : kAbsent;
    const size_t at = out->size();
    out->resize(at + kSectionHeaderBytes);
    StoreLe32(out->data() + at, static_cast<int32_t>(at));
    StoreLe32(out->data() + at + 4, static_cast<int32_t>(kSectionHeaderBytes + payload.size()));
    out->insert(out->end(), payload.begin(), payload.end());
  }
  return true;
}

bool SectionPayloads(const Bytes& library, int32_t count, std::vector<Bytes>* payloads) {
  payloads->clear();
  size_t at = kHeaderBytes;
  for (int32_t k = 1; k <= count; ++k) {
    if (at + kSectionHeaderBytes > library.size()) return false;
    const int32_t offset = LoadLe32(library.data() + at);
    const int32_t size = LoadLe32(library.data() + at + 4);
    if (static_cast<size_t>(offset) != at || size < kSectionHeaderBytes ||
        static_cast<size_t>(size) > library.size() - at)
      return false;
    payloads->emplace_back(library.begin() + static_cast<std::ptrdiff_t>(at + kSectionHeaderBytes),
                           library.begin() + static_cast<std::ptrdiff_t>(at + static_cast<size_t>(size)));
    at += static_cast<size_t>(size);
  }
  return true;
}

Bytes SectionPayload(const Bytes& library, int32_t section) {
  std::vector<Bytes> payloads;
  if (section < 1 || !SectionPayloads(library, section, &payloads)) return {};
  return payloads.back();
}

bool BuildDomain(const Bytes& dictionary, const Bytes& speech, Bytes* out, std::string* error) {
  const uint64_t total = kDomainHeaderBytes + dictionary.size() + speech.size();
  if (total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    *error = "library larger than 2 GiB";
    return false;
  }
  out->assign(kDomainHeaderBytes, 0);
  const int32_t dictionary_offset = kDomainHeaderBytes;
  const int32_t speech_offset = dictionary_offset + static_cast<int32_t>(dictionary.size());
  StoreLe32(out->data() + 4 * kDomainDictionaryOffsetField, dictionary_offset);
  StoreLe32(out->data() + 4 * kDomainDictionarySizeField, static_cast<int32_t>(dictionary.size()));
  StoreLe32(out->data() + 4 * kDomainSpeechOffsetField, speech_offset);
  StoreLe32(out->data() + 4 * kDomainSpeechSizeField, static_cast<int32_t>(speech.size()));
  out->insert(out->end(), dictionary.begin(), dictionary.end());
  out->insert(out->end(), speech.begin(), speech.end());
  return true;
}

Bytes NameTablePayload(const std::vector<std::string>& names) {
  Bytes out(kNameTableCountBytes);
  StoreLe32(out.data(), static_cast<int32_t>(names.size()));
  for (const std::string& name : names) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
  }
  return out;
}

bool ReadFile(const std::string& path, Bytes* out, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = "cannot open " + path;
    return false;
  }
  out->clear();
  uint8_t buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) out->insert(out->end(), buffer, buffer + got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) *error = "cannot read " + path;
  return !failed;
}

bool WriteFile(const std::string& path, const Bytes& bytes, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) *error = "cannot write " + path;
  return written && closed;
}

}  // namespace kvo_libtool
