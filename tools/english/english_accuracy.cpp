// kvo-english-accuracy: pronounces held-out words with the engine's English
// readers (exceptions, lexicon, letter-to-sound, as the front end does) and
// compares them with their CMU pronunciations: phone accuracy (1 - edit
// distance / reference phones) and word accuracy, with and without stress.
// usage: kvo-english-accuracy LIBRARY HELDOUT.txt
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/library_format.h"
#include "english/english_analysis.h"
#include "english/english_tables.h"
#include "library_writer.h"

namespace {

size_t EditDistance(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diag = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diag = up;
    }
  }
  return row[b.size()];
}

std::string Strip(const std::string& p) {
  return !p.empty() && (p.back() == '0' || p.back() == '1') ? p.substr(0, p.size() - 1) : p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kvo-english-accuracy LIBRARY HELDOUT.txt\n");
    return 2;
  }
  std::ifstream lib(argv[1], std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(lib)), std::istreambuf_iterator<char>());
  namespace L = kvo::english::layout;
  const std::vector<uint8_t> lexicon = kvo_libtool::SectionPayload(file, L::kSectionLexicon);
  const std::vector<uint8_t> exceptions = kvo_libtool::SectionPayload(file, L::kSectionExceptions);
  const std::vector<uint8_t> lts = kvo_libtool::SectionPayload(file, L::kSectionLts);
  kvo::english::EnglishResources res;
  res.lexicon.Open(MemorySection(lexicon.data(), lexicon.size()));
  res.exceptions.Open(MemorySection(exceptions.data(), exceptions.size()));
  if (!res.lts.Open(MemorySection(lts.data(), lts.size()))) {
    std::fprintf(stderr, "kvo-english-accuracy: no letter-to-sound trees in %s\n", argv[1]);
    return 1;
  }
  std::ifstream in(argv[2]);
  size_t words = 0, in_lexicon = 0, right = 0, right_stress = 0, phones = 0, errors = 0, errors_stress = 0;
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string word = line.substr(0, tab);
    std::vector<std::string> ref, ref_plain;
    std::istringstream ps(line.substr(tab + 1));
    for (std::string p; ps >> p;) {
      ref.push_back(p);
      ref_plain.push_back(Strip(p));
    }
    kvo::english::EnglishWordList list{};
    list.count = 1;
    std::snprintf(list.words[0].word, sizeof list.words[0].word, "%s", word.c_str());
    kvo::english::PhoneString probe{};
    if (res.lexicon.Lookup(list.words[0].word, 0, &probe)) ++in_lexicon;  // should stay 0: held out
    kvo::english::Pronounce(res, &list);
    std::vector<std::string> got, got_plain;
    for (int s = 0; s < list.words[0].syllable_count; ++s) {
      const kvo::english::Syllable& y = list.words[0].syllables[s];
      for (int k = 0; k < (y.info & kvo::english::kSyllableCountMask); ++k) {
        std::string name = kvo::english::kSymbols[y.phones[k]];
        got_plain.push_back(name);
        if (kvo::english::IsVowelSymbol(y.phones[k])) name += (y.info & kvo::english::kSyllableStressed) ? "1" : "0";
        got.push_back(name);
      }
    }
    // The reference marks stress per vowel; ours per syllable, the same here.
    ++words;
    phones += ref.size();
    const size_t e = EditDistance(got_plain, ref_plain);
    const size_t es = EditDistance(got, ref);
    errors += e;
    errors_stress += es;
    right += e == 0;
    right_stress += es == 0;
  }
  if (words == 0) {
    std::fprintf(stderr, "kvo-english-accuracy: no words in %s\n", argv[2]);
    return 1;
  }
  std::printf("held-out words: %zu (found in the lexicon: %zu), reference phones: %zu\n", words, in_lexicon, phones);
  std::printf("phones without stress: %.2f %% right; words: %.2f %%\n", 100.0 * (1.0 - double(errors) / phones),
              100.0 * right / words);
  std::printf("phones with stress:    %.2f %% right; words: %.2f %%\n", 100.0 * (1.0 - double(errors_stress) / phones),
              100.0 * right_stress / words);
  return 0;
}
