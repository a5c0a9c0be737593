#include "test_payloads.h"

#include <iconv.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

std::vector<uint8_t> LoadFixture(const char* name) {
  std::ifstream in(std::string(LEXICON_FIXTURE_DIR) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("missing test payload ") + name);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint16_t> Gbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
  std::string in = utf8;
  std::string out(in.size() * 2 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t src_left = in.size();
  size_t dst_left = out.size();
  const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) throw std::runtime_error("not GBK: " + utf8);
  out.resize(out.size() - dst_left);
  std::vector<uint16_t> codes;
  for (size_t i = 0; i < out.size();) {
    const uint8_t lead = static_cast<uint8_t>(out[i]);
    if (lead < 0x80) {
      codes.push_back(lead);
      ++i;
    } else {
      codes.push_back(static_cast<uint16_t>(lead | (static_cast<uint8_t>(out[i + 1]) << 8)));
      i += 2;
    }
  }
  return codes;
}

uint16_t Unit(const std::string& numbered) {
  std::ifstream in(std::string(LEXICON_DATA_DIR) + "/syllables.txt");
  const std::string base = numbered.substr(0, numbered.size() - 1);
  const int tone = numbered.back() - '0';
  std::string line;
  int index = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line == base) return static_cast<uint16_t>(index * 5 + tone - 1);
    ++index;
  }
  throw std::runtime_error("syllable not in the test list: " + numbered);
}
