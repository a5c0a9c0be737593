// Writes a Chinese library for the front-end tests: the real table sections
// (4-6, 8-12) and the lexicon and polyphone payloads built from the test
// word list, with the small placeholders of the engine tests elsewhere.
// The boundary models are the built ones of the default voice.
//   make_frontend_library OUT TABLES_DIR LEXICON POLYPHONE WORD_MODEL PHRASE_MODEL
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "core/library_format.h"
#include "library_writer.h"
#include "test_voice.h"

namespace {

bool ReadFile(const std::string& path, kvo_libtool::Bytes* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !out->empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: make_frontend_library OUT TABLES_DIR LEXICON POLYPHONE WORD_MODEL PHRASE_MODEL\n");
    return 2;
  }
  std::vector<kvo_libtool::Bytes> payloads = test_voice::ChinesePayloads({});
  auto at = [&payloads](int section) -> kvo_libtool::Bytes& { return payloads[static_cast<size_t>(section - 1)]; };
  const std::string tables = argv[2];
  for (int section : {4, 5, 6, 8, 9, 10, 11, 12}) {
    char name[32];
    std::snprintf(name, sizeof name, "/section%02d.bin", section);
    if (!ReadFile(tables + name, &at(section))) {
      std::fprintf(stderr, "make_frontend_library: cannot read %s%s\n", tables.c_str(), name);
      return 1;
    }
  }
  if (!ReadFile(argv[3], &at(kvo_library::kCnMainLexicon)) || !ReadFile(argv[4], &at(kvo_library::kCnPolyphoneModel)) ||
      !ReadFile(argv[5], &at(kvo_library::kCnWordBoundaryModel)) ||
      !ReadFile(argv[6], &at(kvo_library::kCnPhraseBoundaryModel))) {
    std::fprintf(stderr, "make_frontend_library: cannot read the lexicon or boundary payloads\n");
    return 1;
  }
  test_voice::RewriteVoiceModel(&payloads, 16000);
  if (at(kvo_library::kCnVoiceModel).empty()) {
    std::fprintf(stderr, "make_frontend_library: cannot write the voice model\n");
    return 1;
  }
  kvo_libtool::VoiceHeader header;
  header.sample_rate = 16000;
  kvo_libtool::Bytes out;
  std::string error;
  if (!kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, header, payloads, &out, &error)) {
    std::fprintf(stderr, "make_frontend_library: %s\n", error.c_str());
    return 1;
  }
  std::ofstream file(argv[1], std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file ? 0 : 1;
}
