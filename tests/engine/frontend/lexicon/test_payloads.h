// Shared helpers of the lexicon reader tests: the payloads built from
// data/, GBK codes of UTF-8 text, and unit codes of the test syllables.
#ifndef KVO_TESTS_LEXICON_TEST_PAYLOADS_H
#define KVO_TESTS_LEXICON_TEST_PAYLOADS_H

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> LoadFixture(const char* name);

// Internal codes (GBK lead byte low) of UTF-8 text.
std::vector<uint16_t> Gbk(const std::string& utf8);

// Unit code of "hang2" by the test syllable list.
uint16_t Unit(const std::string& numbered);

#endif
