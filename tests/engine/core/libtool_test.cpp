// The library writer and dumper, and the kvo-libtool program end to end.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "core/library_format.h"
#include "engine_fixture.h"
#include "library_dump.h"
#include "temp_library.h"
#include "test_voice.h"

namespace {

using kvo_libtool::Bytes;
using kvo_libtool::LibraryKind;

TEST(LibtoolWriter, ChainAndHeaderMatchTheContainer) {
  kvo_libtool::VoiceHeader header;
  header.sample_rate = 11025;
  header.voice_word1 = -2;
  header.voice_kind = 1;
  Bytes bytes;
  std::string error;
  ASSERT_TRUE(
      kvo_libtool::BuildContainer(LibraryKind::kEnglish, header, {Bytes{1, 2, 3}, {}, Bytes(10, 9)}, &bytes, &error));
  using namespace kvo_library;
  EXPECT_EQ(LoadLe32(bytes.data() + kSampleRateOffset), 11025);
  EXPECT_EQ(LoadLe16(bytes.data() + kVoiceWord1Offset), -2);
  EXPECT_EQ(bytes[kLanguageOffset], kLanguageEnglish);
  EXPECT_EQ(bytes[kVoiceKindOffset], 1);
  // Three given payloads and six absent ones.
  EXPECT_EQ(bytes.size(), static_cast<size_t>(kHeaderBytes + 9 * kSectionHeaderBytes + 3 + 10));
  std::string text;
  ASSERT_TRUE(kvo_libtool::DumpLibrary(bytes, std::nullopt, &text));
  EXPECT_NE(text.find("kind: english"), std::string::npos);
  EXPECT_NE(text.find("section 1: at 64 payload offset 72 payload size 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("section 2: at 75 payload offset 83 payload size 0 (absent)"), std::string::npos) << text;
  EXPECT_NE(text.find("section 3: at 83 payload offset 91 payload size 10"), std::string::npos) << text;
}

TEST(LibtoolWriter, RefusesMoreSectionsThanTheKindHas) {
  Bytes bytes;
  std::string error;
  EXPECT_FALSE(kvo_libtool::BuildContainer(LibraryKind::kEnglish, {}, std::vector<Bytes>(10), &bytes, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(kvo_libtool::BuildContainer(LibraryKind::kDomain, {}, {}, &bytes, &error));
}

// Reading payloads back: the chain is checked as the engine checks it, and
// a break before the last wanted section fails instead of reading as absent.
TEST(LibtoolWriter, SectionPayloadsReadTheChainBackOrFail) {
  const std::vector<Bytes> given = {Bytes{1, 2, 3}, {}, Bytes(10, 9)};
  Bytes intact;
  std::string error;
  ASSERT_TRUE(kvo_libtool::BuildContainer(LibraryKind::kEnglish, {}, given, &intact, &error));
  std::vector<Bytes> payloads;
  ASSERT_TRUE(kvo_libtool::SectionPayloads(intact, 3, &payloads));
  EXPECT_EQ(payloads, given);
  EXPECT_EQ(kvo_libtool::SectionPayload(intact, 3), given[2]);

  using kvo_library::kHeaderBytes;
  const size_t third = kHeaderBytes + 8 + 3 + 8;  // section 3's header
  struct Case {
    const char* fault;
    size_t at;  // byte changed
    uint8_t value;
    size_t keep;  // bytes kept of the file
  };
  const Case cases[] = {
      {"section 3's offset field not its position", third, 0, intact.size()},
      {"section 3's size past the end of the file", third + 4, 200, intact.size()},
      {"section 3's size below its header", third + 4, 7, intact.size()},
      {"file ends inside section 3's header", 0, intact[0], third + 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    Bytes broken(intact.begin(), intact.begin() + static_cast<std::ptrdiff_t>(c.keep));
    broken[c.at] = c.value;
    EXPECT_FALSE(kvo_libtool::SectionPayloads(broken, 3, &payloads));
    EXPECT_TRUE(kvo_libtool::SectionPayloads(broken, 2, &payloads));
    EXPECT_TRUE(kvo_libtool::SectionPayload(broken, 3).empty());
    EXPECT_EQ(kvo_libtool::SectionPayload(broken, 1), given[0]);
  }
}

TEST(LibtoolDump, NamesTheFaultOfABrokenChain) {
  Bytes bytes = test_voice::ChineseLibrary();
  bytes.resize(bytes.size() - 1);
  std::string text;
  EXPECT_FALSE(kvo_libtool::DumpLibrary(bytes, std::nullopt, &text));
  EXPECT_NE(text.find("error: section 19 runs past the end of the file"), std::string::npos) << text;

  std::string domain_text;
  EXPECT_TRUE(kvo_libtool::DumpLibrary(test_voice::DomainLibrary(), std::nullopt, &domain_text));
  EXPECT_NE(domain_text.find("phrase speech: offset 148 size 300"), std::string::npos) << domain_text;
}

TEST(LibtoolProgram, BuildsALibraryTheEngineOpens) {
  const std::string tool = std::string(KVO_TEST_BINARY_DIR) + "/bin/kvo-libtool";
  std::vector<std::unique_ptr<TempLibrary>> payload_files;
  std::string command = tool + " build --kind chinese --rate 8000";
  test_voice::Options options;
  options.sample_rate = 8000;  // the voice model matches the library's rate
  const auto payloads = test_voice::ChinesePayloads(options);
  for (size_t i = 0; i < payloads.size(); ++i) {
    payload_files.push_back(std::make_unique<TempLibrary>(payloads[i]));
    command += " --section " + std::to_string(i + 1) + "=" + payload_files.back()->path();
  }
  TempLibrary output(Bytes{});
  command += " --out " + output.path();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  ASSERT_EQ(std::system((tool + " dump " + output.path() + " > /dev/null").c_str()), 0);

  int32_t size = 0;
  ASSERT_EQ(qvTTS_GetExtBufSize(output.path().c_str(), nullptr, nullptr, &size), QVTTS_ERR_OK);
  EngineBlock engine;
  EXPECT_EQ(engine.InitPaths(&output.path(), nullptr, nullptr), QVTTS_ERR_OK);
  EXPECT_EQ(engine.instance()->arena_size, 409600);

  EXPECT_NE(std::system((tool + " build --kind klingon --out /dev/null 2> /dev/null").c_str()), 0);
  EXPECT_NE(std::system((tool + " dump " + TestLibrary("missing.lib") + " 2> /dev/null").c_str()), 0);
}

TEST(LibtoolProgram, HelpIsHelpAndOtherWordsAreUsageErrors) {
  struct Case {
    const char* arguments;
    int status;
    const char* output;  // expected on standard output
  };
  const Case cases[] = {
      {"--help", 0, "Commands:"},       {"-h", 0, "Commands:"}, {"help", 0, "Commands:"},
      {"build --help", 0, "Commands:"}, {"frob", 2, ""},        {"", 2, ""},
  };
  const std::string tool = std::string(KVO_TEST_BINARY_DIR) + "/bin/kvo-libtool";
  for (const Case& c : cases) {
    FILE* pipe = popen((tool + " " + c.arguments + " 2>/dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << c.arguments;
    if (c.status == 0) {
      EXPECT_NE(output.find(c.output), std::string::npos) << c.arguments << "\n" << output;
      for (const char* command : {"build", "domain", "names", "dump"}) {
        EXPECT_NE(output.find(std::string("  ") + command + "  "), std::string::npos) << command;
      }
    } else {
      EXPECT_EQ(output, "") << c.arguments;
    }
  }
}

}  // namespace
