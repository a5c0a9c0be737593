// A missing or damaged voice model (or back-end table) refuses init with 6;
// damage the checks do not see must still never crash a synthesis.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "backend_engine.h"
#include "core/library_format.h"
#include "library_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int32_t Le32(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The payloads of the generated library, section 1 first.
std::vector<Bytes> Payloads(const Bytes& file) {
  std::vector<Bytes> out;
  size_t at = 64;
  while (at + 8 <= file.size() && out.size() < static_cast<size_t>(kvo_library::kChineseSectionCount)) {
    const size_t size = static_cast<size_t>(Le32(&file[at + 4]));
    out.emplace_back(file.begin() + static_cast<long>(at + 8), file.begin() + static_cast<long>(at + size));
    at += size;
  }
  return out;
}

std::string WriteLibrary(const std::vector<Bytes>& payloads, const char* name) {
  kvo_libtool::VoiceHeader header;
  header.sample_rate = 16000;
  Bytes out;
  std::string error;
  EXPECT_TRUE(kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, header, payloads, &out, &error)) << error;
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/tests/engine/backend/" + name;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return path;
}

class BackendVoiceModelFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    payloads = Payloads(ReadAll(BackendLibrary("cn16k.lib")));
    ASSERT_EQ(payloads.size(), static_cast<size_t>(kvo_library::kChineseSectionCount));
  }
  Bytes& Section(int number) { return payloads[static_cast<size_t>(number - 1)]; }
  std::vector<Bytes> payloads;
};

TEST_F(BackendVoiceModelFailure, DamagedModelOrTablesRefuseInit) {
  const Bytes model = Section(kvo_library::kCnVoiceModel);
  ASSERT_GT(model.size(), 256u);
  struct Case {
    const char* name;
    int section;
    Bytes payload;
  } cases[] = {
      {"absent", kvo_library::kCnVoiceModel, {}},
      {"truncated", kvo_library::kCnVoiceModel, Bytes(model.begin(), model.begin() + 64)},
      {"half", kvo_library::kCnVoiceModel, Bytes(model.begin(), model.begin() + static_cast<long>(model.size() / 2))},
      {"zeros", kvo_library::kCnVoiceModel, Bytes(model.size(), 0)},
      {"ones", kvo_library::kCnVoiceModel, Bytes(model.size(), 0xFF)},
      {"letter index not whole units", kvo_library::kCnBackEndTable1, Bytes(3, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Bytes> damaged = payloads;
    damaged[static_cast<size_t>(c.section - 1)] = c.payload;
    BackendEngine engine(WriteLibrary(damaged, "damaged.lib"));
    EXPECT_EQ(engine.Init(), QVTTS_ERR_RESOURCE);
    EXPECT_EQ(engine.instance()->initialised, 0u);
  }
}

// Every damaged byte of the model's head either refuses init or leaves a
// voice that synthesizes without fault (the sanitizers watch the reads).
TEST_F(BackendVoiceModelFailure, ByteDamageNeverCrashes) {
  const Bytes model = Section(kvo_library::kCnVoiceModel);
  int refused = 0, accepted = 0;
  for (size_t at = 0; at < std::min<size_t>(model.size(), 600); at += 5) {
    SCOPED_TRACE(at);
    std::vector<Bytes> damaged = payloads;
    damaged[kvo_library::kCnVoiceModel - 1][at] ^= 0xA5;
    BackendEngine engine(WriteLibrary(damaged, "flipped.lib"));
    const int rc = engine.Init();
    ASSERT_TRUE(rc == QVTTS_ERR_OK || rc == QVTTS_ERR_RESOURCE) << rc;
    if (rc != QVTTS_ERR_OK) {
      ++refused;
      continue;
    }
    ++accepted;
    EXPECT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    EXPECT_EQ(engine.arenaAfter, engine.arenaBefore);
  }
  std::printf("[measure] damaged model bytes: %d refused, %d accepted\n", refused, accepted);
}

}  // namespace
