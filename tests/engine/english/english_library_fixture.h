// The committed English library's sections in memory, with the front end's
// readers open over them.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/library_format.h"
#include "english/english_analysis.h"

namespace english_test {

inline std::string DataPath(const std::string& name) { return std::string(KVO_TEST_SOURCE_DIR) + "/data/" + name; }

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Payload of section number n (1-based) of a container, or empty.
inline std::vector<uint8_t> Section(const std::vector<uint8_t>& file, int n) {
  size_t at = kvo_library::kHeaderBytes;
  for (int k = 1; at + 8 <= file.size(); ++k) {
    const int32_t size = kvo_library::LoadLe32(file.data() + at + 4);
    if (size < 8 || at + static_cast<size_t>(size) > file.size()) break;
    if (k == n) return std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + size);
    at += static_cast<size_t>(size);
  }
  return {};
}

struct Library {
  Library() {
    file = ReadFile(DataPath("en_us_slt.kvl"));
    namespace L = kvo::english::layout;
    lexicon = Section(file, L::kSectionLexicon);
    exceptions = Section(file, L::kSectionExceptions);
    lts = Section(file, L::kSectionLts);
    pos = Section(file, L::kSectionPosLexicon);
    breaks = Section(file, L::kSectionBreakModel);
    res.lexicon.Open(MemorySection(lexicon.data(), lexicon.size()));
    res.exceptions.Open(MemorySection(exceptions.data(), exceptions.size()));
    res.lts.Open(MemorySection(lts.data(), lts.size()));
    res.pos.Open(MemorySection(pos.data(), pos.size()));
    uint32_t bytes = 0;
    const SectionReader b = MemorySection(breaks.data(), breaks.size());
    if (kvo::english::BreakModel::Bytes(b, &bytes)) {
      block.resize(bytes);
      res.breaks.Load(b, block.data(), bytes);
    }
  }
  std::vector<uint8_t> file, lexicon, exceptions, lts, pos, breaks, block;
  kvo::english::EnglishResources res;
};

inline const Library& TheLibrary() {
  static const Library library;
  return library;
}

}  // namespace english_test
