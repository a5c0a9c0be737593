// Runs the fuzz entry over damaged libraries in every build, so that the
// target keeps working where no fuzzer is available.
#include <gtest/gtest.h>

#include "core/library_format.h"
#include "test_voice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

TEST(EngineFuzzSeeds, DamagedLibrariesNeverCrashInit) {
  const test_voice::Bytes good = test_voice::ChineseLibrary();
  ASSERT_EQ(LLVMFuzzerTestOneInput(good.data(), good.size()), 0);
  // Every truncation point within the header and the first sections, then
  // every single-byte flip of the section leads.
  for (size_t cut = 0; cut < 400 && cut < good.size(); cut += 3) {
    LLVMFuzzerTestOneInput(good.data(), cut);
  }
  for (size_t at = kvo_library::kHeaderBytes; at < good.size(); at += 29) {
    test_voice::Bytes bytes = good;
    bytes[at] ^= 0x80;
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
}

}  // namespace
