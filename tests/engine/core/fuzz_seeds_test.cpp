// Runs the library fuzz entry over damaged libraries in every build, so that
// the target keeps working where no fuzzer is available: each role (Chinese,
// English, domain library) gets its test library cut short and bit-flipped.
#include <gtest/gtest.h>

#include "core/library_format.h"
#include "test_voice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

struct RoleCase {
  const char* name;
  uint8_t role;  // the entry's first byte
  test_voice::Bytes (*library)();
};

class EngineFuzzSeeds : public testing::TestWithParam<RoleCase> {};

TEST_P(EngineFuzzSeeds, DamagedLibrariesNeverCrashInit) {
  test_voice::Bytes good = GetParam().library();
  good.insert(good.begin(), GetParam().role);
  ASSERT_EQ(LLVMFuzzerTestOneInput(good.data(), good.size()), 0);
  // Every truncation point within the header and the first sections, then
  // single-byte flips across the section leads and contents.
  for (size_t cut = 0; cut < 400 && cut < good.size(); cut += 3) {
    EXPECT_EQ(LLVMFuzzerTestOneInput(good.data(), cut), 0);
  }
  const size_t step = good.size() / 200 + 29;
  for (size_t at = 1 + kvo_library::kHeaderBytes; at < good.size(); at += step) {
    test_voice::Bytes bytes = good;
    bytes[at] ^= 0x80;
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Roles, EngineFuzzSeeds,
                         testing::Values(RoleCase{"Chinese", 0, [] { return test_voice::ChineseLibrary(); }},
                                         RoleCase{"English", 1, [] { return test_voice::EnglishLibrary(); }},
                                         RoleCase{"EnglishVoice", 1,
                                                  [] { return test_voice::EnglishLibrary(16000, true); }},
                                         RoleCase{"Domain", 2, [] { return test_voice::DomainLibrary(); }}),
                         [](const testing::TestParamInfo<RoleCase>& p) { return std::string(p.param.name); });

}  // namespace
