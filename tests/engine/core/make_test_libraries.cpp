// Writes the test libraries into the folder given as the only argument.
#include <cstdio>
#include <string>

#include "test_voice.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_libraries FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  test_voice::Options no_big5;
  no_big5.big5 = false;
  test_voice::Options rate8k;
  rate8k.sample_rate = 8000;
  const struct {
    const char* name;
    test_voice::Bytes bytes;
  } files[] = {
      {"cn16k.lib", test_voice::ChineseLibrary()},
      {"cn8k.lib", test_voice::ChineseLibrary(rate8k)},
      {"cn_no_big5.lib", test_voice::ChineseLibrary(no_big5)},
      {"en16k.lib", test_voice::EnglishLibrary()},
      {"en16k_voice.lib", test_voice::EnglishLibrary(16000, true)},
      {"domain.lib", test_voice::DomainLibrary()},
  };
  for (const auto& file : files) {
    std::string error;
    if (!kvo_libtool::WriteFile(folder + "/" + file.name, file.bytes, &error)) {
      std::fprintf(stderr, "make_test_libraries: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
