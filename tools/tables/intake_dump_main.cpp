// kvo_intake_dump TABLEDIR CODEPAGE [--english] [--mode N] [--chunk N] < text
// Runs the text intake on standard input with the section payloads in
// TABLEDIR and prints every sentence: byte span, language, hand-over status
// and each code with its class.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frontend/intake/intake_debug.h"
#include "frontend/lexicon/name_table.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Print(void*, const kvo::frontend::DebugSentence& s) {
  std::printf("[%lld,%lld) %s status=0x%X:", static_cast<long long>(s.byteBegin), static_cast<long long>(s.byteEnd),
              s.language == 2 ? "english" : "chinese", static_cast<unsigned>(s.languageStatus));
  for (size_t i = 0; i < s.length; ++i) std::printf(" %04X/%d", s.codes[i], s.classes[i]);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kvo_intake_dump TABLEDIR CODEPAGE [--english] [--mode N] [--chunk N] < text\n");
    return 2;
  }
  const std::string dir = argv[1];
  kvo::frontend::TextIntakeConfig config;
  config.codePage = std::atoi(argv[2]);
  size_t chunk = 1024;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--english") == 0)
      config.englishAvailable = true;
    else if (std::strcmp(argv[i], "--mode") == 0 && i + 1 < argc)
      config.englishMode = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--chunk") == 0 && i + 1 < argc)
      chunk = std::strtoul(argv[++i], nullptr, 10);
  }
  const std::vector<uint8_t> gbk = ReadFile(dir + "/section04.bin");
  const std::vector<uint8_t> big5 = ReadFile(dir + "/section05.bin");
  const std::vector<uint8_t> unicode = ReadFile(dir + "/section06.bin");
  const std::vector<uint8_t> syllables = ReadFile(dir + "/section08.bin");
  std::vector<const char*> names(4096);
  size_t count = 0;
  if (!kvo::frontend::IndexNameTable(syllables.data(), syllables.size(), names.data(), names.size(), &count)) {
    std::fprintf(stderr, "kvo_intake_dump: no valid section08.bin in %s\n", dir.c_str());
    return 1;
  }
  config.tables.gbk = MemorySection(gbk.data(), gbk.size());
  config.tables.big5 = MemorySection(big5.data(), big5.size());
  config.tables.unicode = MemorySection(unicode.data(), unicode.size());
  config.tables.syllableCodeCount = static_cast<uint16_t>(5 * count);

  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, n);

  static kvo::frontend::TextIntake intake;
  const int status = kvo::frontend::DebugRunIntake(&intake, config, reinterpret_cast<const uint8_t*>(text.data()),
                                                   text.size(), chunk, Print, nullptr);
  if (status != kFeOk) {
    std::fprintf(stderr, "kvo_intake_dump: status 0x%X\n", static_cast<unsigned>(status));
    return 1;
  }
  return 0;
}
