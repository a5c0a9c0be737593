// kvo_table_builder OUTDIR [--t2s FILE] [--readings FILE]: writes the Chinese library's
// conversion and symbol sections as payload files sectionNN.bin, and the
// syllable list as syllables.txt.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "conversion_builder.h"
#include "syllable_inventory.h"

namespace {

bool Write(const std::string& dir, int section, const std::vector<uint8_t>& payload) {
  char name[32];
  std::snprintf(name, sizeof name, "/section%02d.bin", section);
  std::ofstream out(dir + name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(payload.data()), static_cast<std::streamsize>(payload.size()));
  if (!out) {
    std::fprintf(stderr, "kvo_table_builder: cannot write %s%s\n", dir.c_str(), name);
    return false;
  }
  return true;
}

// The syllable list as text, one spelling per line in index order, for the
// builders that turn pinyin into unit codes (the lexicon).
bool WriteSyllableList(const std::string& dir) {
  std::ofstream out(dir + "/syllables.txt", std::ios::trunc);
  for (const char* syllable : kvo::tables::kSyllables) out << syllable << '\n';
  if (!out) {
    std::fprintf(stderr, "kvo_table_builder: cannot write %s/syllables.txt\n", dir.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, t2sPath = KVO_DEFAULT_T2S_TABLE, readingsPath = KVO_DEFAULT_READINGS_TABLE;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--t2s") == 0 && i + 1 < argc) {
      t2sPath = argv[++i];
    } else if (std::strcmp(argv[i], "--readings") == 0 && i + 1 < argc) {
      readingsPath = argv[++i];
    } else if (outDir.empty() && argv[i][0] != '-') {
      outDir = argv[i];
    } else {
      outDir.clear();
      break;
    }
  }
  if (outDir.empty()) {
    std::fprintf(stderr, "usage: kvo_table_builder OUTDIR [--t2s FILE] [--readings FILE]\n");
    return 2;
  }
  kvo::tables::SimplifiedMap simplified;
  std::string error;
  if (!kvo::tables::LoadSimplifiedMap(t2sPath, &simplified, &error)) {
    std::fprintf(stderr, "kvo_table_builder: %s\n", error.c_str());
    return 1;
  }
  kvo::tables::ReadingMap readings;
  if (!kvo::tables::LoadReadingMap(readingsPath, &readings, &error)) {
    std::fprintf(stderr, "kvo_table_builder: %s\n", error.c_str());
    return 1;
  }
  kvo::tables::ConversionBuilder conversion(std::move(simplified), std::move(readings));
  if (!conversion.ok()) {
    std::fprintf(stderr, "kvo_table_builder: iconv lacks GBK or Big5 converters\n");
    return 1;
  }
  using namespace kvo::tables;
  const bool ok = Write(outDir, 4, conversion.GbkSection()) && Write(outDir, 5, conversion.Big5Section()) &&
                  Write(outDir, 6, conversion.UnicodeSection()) && Write(outDir, 8, SyllableSection()) &&
                  Write(outDir, 9, InitialsSection()) && Write(outDir, 10, FinalsSection()) &&
                  Write(outDir, 11, PhonesSection()) && Write(outDir, 12, VoicingSection()) &&
                  WriteSyllableList(outDir);
  return ok ? 0 : 1;
}
