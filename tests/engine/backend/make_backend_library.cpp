// Writes a Chinese library for the back-end tests: the table builder's
// sections (conversion tables, syllables, initials, finals, phones,
// voicing), a voice information section and a small hand-made voice model
// whose vowels are clearly voiced (formant-like line spectral frequencies)
// with an F0 contour per tone.
//
//   make_backend_library TABLES_DIR RATE OUT_FILE
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/library_format.h"
#include "library_writer.h"
#include "test_voice_model.h"

using Bytes = std::vector<uint8_t>;

namespace {

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The index of a toneless spelling in a name table payload, or -1.
int NameIndex(const Bytes& table, const std::string& name) {
  size_t at = 4;
  for (int index = 0; at < table.size(); ++index) {
    size_t end = at;
    while (end < table.size() && table[end] != 0) ++end;
    if (std::string(table.begin() + static_cast<std::ptrdiff_t>(at),
                    table.begin() + static_cast<std::ptrdiff_t>(end)) == name)
      return index;
    at = end + 1;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_backend_library TABLES_DIR RATE OUT_FILE\n");
    return 2;
  }
  const std::string tables = argv[1];
  const int rate = std::atoi(argv[2]);
  using namespace kvo_library;
  std::vector<Bytes> payloads(kChineseSectionCount);
  auto at = [&payloads](int32_t section) -> Bytes& { return payloads[static_cast<size_t>(section - 1)]; };
  for (int32_t section : {kCnGbkTable, kCnBig5Table, kCnUnicodeTable, kCnSyllableNames, kCnInitialNames, kCnFinalNames,
                          kCnPhoneNames, kCnPhoneVoicing}) {
    char name[32];
    std::snprintf(name, sizeof name, "/section%02d.bin", section);
    at(section) = ReadFile(tables + name);
    if (at(section).empty()) {
      std::fprintf(stderr, "make_backend_library: missing %s%s\n", tables.c_str(), name);
      return 1;
    }
  }
  // The test text 中国人民 (zhong1 guo2 ren2 min2: no tone changes), by GB2312 index.
  struct Reading {
    uint32_t character;
    const char* syllable;
    int tone;
  };
  const Reading readings[] = {{3619, "zhong", 1}, {935, "guo", 2}, {2298, "ren", 2}, {1866, "min", 2}};
  std::vector<std::pair<uint32_t, uint16_t>> lexicon;
  for (const Reading& r : readings) {
    const int index = NameIndex(at(kCnSyllableNames), r.syllable);
    if (index < 0) {
      std::fprintf(stderr, "make_backend_library: no syllable %s\n", r.syllable);
      return 1;
    }
    lexicon.emplace_back(r.character, static_cast<uint16_t>(index * 5 + r.tone - 1));
  }
  at(kCnMainLexicon) = kvo::testmodel::CharacterLexicon(lexicon);

  Bytes info(2 * kVoiceInfoRecordBytes, 0);
  info[kVoiceInfoRecordBytes + 4] = static_cast<uint8_t>(rate & 0xFF);
  info[kVoiceInfoRecordBytes + 5] = static_cast<uint8_t>((rate >> 8) & 0xFF);
  info[kVoiceInfoRecordBytes + 14] = 16;
  at(kCnVoiceInfo) = info;

  std::string error;
  at(kCnVoiceModel) = kvo::testmodel::VowelVoiceModelPayload(
      std::vector<Bytes>(payloads.begin(), payloads.begin() + (kCnVoiceModel - 1)), rate, &error);
  if (at(kCnVoiceModel).empty()) {
    std::fprintf(stderr, "make_backend_library: %s\n", error.c_str());
    return 1;
  }
  kvo_libtool::VoiceHeader header;
  header.sample_rate = rate;
  Bytes out;
  if (!kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, header, payloads, &out, &error)) {
    std::fprintf(stderr, "make_backend_library: %s\n", error.c_str());
    return 1;
  }
  std::ofstream file(argv[3], std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file ? 0 : 1;
}
