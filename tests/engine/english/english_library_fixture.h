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
#include "library_writer.h"

namespace english_test {

inline std::string DataPath(const std::string& name) { return std::string(KVO_TEST_SOURCE_DIR) + "/data/" + name; }

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Library {
  Library() {
    file = ReadFile(DataPath("en_us_slt.kvl"));
    namespace L = kvo::english::layout;
    lexicon = kvo_libtool::SectionPayload(file, L::kSectionLexicon);
    exceptions = kvo_libtool::SectionPayload(file, L::kSectionExceptions);
    lts = kvo_libtool::SectionPayload(file, L::kSectionLts);
    pos = kvo_libtool::SectionPayload(file, L::kSectionPosLexicon);
    breaks = kvo_libtool::SectionPayload(file, L::kSectionBreakModel);
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
