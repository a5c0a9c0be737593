// Debug print of tone sandhi on hand-segmented sentences: readings come from
// the lexicon payload (first reading of each word), then the sandhi runs and
// both readings are printed with the rule that decided each 一.
//   kvo_sandhi_dump LEXICON.bin < lines
// Line notation as in test_batch.h (words by spaces, "|" prosodic words,
// "||" phrases, "@tag" letter tags).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/lexicon/lexicon_reader.h"
#include "frontend/prosody/tone_sandhi.h"
#include "test_batch.h"

namespace {

std::string WordReadings(const LexiconReader& lexicon, const std::string& word) {
  const std::vector<uint16_t> codes = sandhi_test::InternalCodes(word);
  LexiconEntry entry{};
  std::string out;
  if (lexicon.Find(codes.data(), static_cast<int>(codes.size()), &entry) == LexiconStatus::kFound &&
      entry.reading_count > 0) {
    for (size_t k = 0; k < codes.size(); ++k) out += (k ? " " : "") + sandhi_test::Reading(entry.readings[0].pinyin[k]);
    return out;
  }
  for (size_t k = 0; k < codes.size(); ++k) {
    uint16_t unit = kUnitSilence;
    lexicon.DefaultPinyin(codes[k], &unit);
    out += (k ? " " : "") + sandhi_test::Reading(unit);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LEXICON.bin < segmented-lines\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const SectionReader payload = MemorySection(bytes.data(), static_cast<uint32_t>(bytes.size()));
  LexiconReader lexicon;
  if (!lexicon.Open(payload)) {
    std::fprintf(stderr, "%s: not a lexicon payload\n", argv[1]);
    return 1;
  }
  for (std::string line; std::getline(std::cin, line);) {
    if (line.empty()) continue;
    std::istringstream tokens(line);
    std::string readings;
    for (std::string tok; tokens >> tok;) {
      if (tok == "|" || tok == "||") continue;
      const std::string word = tok.substr(0, tok.find('@'));
      readings += (readings.empty() ? "" : " ") + WordReadings(lexicon, word);
    }
    try {
      sandhi_test::Batch batch = sandhi_test::BuildBatch(line, readings);
      std::vector<uint8_t> rules(batch.items.size());
      const std::string before = batch.Readings();
      const int changes = kvo::frontend::Sandhi(
          batch.items.data(), batch.count, static_cast<uint16_t>(sandhi_test::SyllableCodeCount()), 0, rules.data());
      std::string yi;
      for (int k = 0; k < batch.count; ++k)
        if (rules[k] != 0) yi += " 一@" + std::to_string(k) + ":rule " + std::to_string(rules[k]);
      std::printf("%s\n  lexicon: %s\n  sandhi:  %s   (%d changes%s)\n", line.c_str(), before.c_str(),
                  batch.Readings().c_str(), changes, yi.c_str());
    } catch (const std::exception& e) {
      std::printf("%s\n  skipped: %s\n", line.c_str(), e.what());
    }
  }
  return 0;
}
