// Replays a fuzz entry over its committed corpus and over the minimised
// inputs of faults found by fuzzing, so that every build keeps them fixed.
// The entry itself traps on a broken contract; the sanitizers catch the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(const char* folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Replay(const char* folder) {
  for (const std::filesystem::path& file : Inputs(folder)) {
    SCOPED_TRACE(file.string());
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
}

TEST(KVO_FUZZ_SUITE, SeedCorpus) {
  ASSERT_FALSE(Inputs(KVO_FUZZ_CORPUS).empty()) << KVO_FUZZ_CORPUS;
  Replay(KVO_FUZZ_CORPUS);
}

TEST(KVO_FUZZ_SUITE, FixedFaults) {
  if (Inputs(KVO_FUZZ_REGRESSIONS).empty()) GTEST_SKIP() << "no fixed faults for this entry";
  Replay(KVO_FUZZ_REGRESSIONS);
}

}  // namespace
