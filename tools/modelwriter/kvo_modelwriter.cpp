// kvo-modelwriter: writes a voice model section payload from its readable
// description.
//   kvo-modelwriter <description> <output> [payload file position]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "model_description.h"
#include "model_writer.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s <description> <output> [payload file position]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  uint32_t position = 0;
  if (argc == 4) {
    char* end = nullptr;
    unsigned long v = std::strtoul(argv[3], &end, 0);
    if (end == argv[3] || *end != '\0' || v > 0x7FFFFFFFul) {
      std::fprintf(stderr, "bad position %s\n", argv[3]);
      return 2;
    }
    position = static_cast<uint32_t>(v);
  }
  kvo::modelwriter::VoiceModelDescription model;
  std::string error;
  if (!kvo::modelwriter::ParseModelDescription(text.str(), &model, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::vector<uint8_t> payload = kvo::modelwriter::WriteVoiceModel(model, position, &error);
  if (payload.empty()) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(payload.data()), static_cast<std::streamsize>(payload.size()));
  if (!out) {
    std::fprintf(stderr, "%s: cannot write\n", argv[2]);
    return 1;
  }
  return 0;
}
