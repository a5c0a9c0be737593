// kvo-say end to end on the generated test voice: WAV headers per format,
// audio on standard output, the voice list, and failures that leave no file.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "module_test_support.h"

namespace module_test {
namespace {

struct SayRun {
    int status = -1;
    std::string out;
    std::string err;
};

class KvoSay : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kvo_say_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    SayRun Say(const std::string& arguments) {
        const std::string out = dir_ + "/stdout", err = dir_ + "/stderr";
        const std::string command = std::string("'") + KVO_SAY_PROGRAM + "' --data '" + DataFolder() + "' " +
                                    arguments + " >'" + out + "' 2>'" + err + "'";
        SayRun run;
        const int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }
    // Files of the scratch folder other than the captured output streams.
    std::vector<std::string> OtherFiles() const {
        std::vector<std::string> names;
        if (DIR* folder = opendir(dir_.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                const std::string name = entry->d_name;
                if (name != "." && name != ".." && name != "stdout" && name != "stderr") names.push_back(name);
            }
            closedir(folder);
        }
        return names;
    }

    std::string dir_;
};

uint32_t Le32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint32_t Le16(const std::string& b, size_t at) { return Le32(b + "\0\0", at) & 0xFFFF; }

struct HeaderCase {
    const char* format;
    uint32_t tag, rate, byte_rate, block_align, bits;
};
std::ostream& operator<<(std::ostream& out, const HeaderCase& c) { return out << c.format; }

class KvoSayFormats : public KvoSay, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(KvoSayFormats, WritesAMatchingWavHeaderAndSound) {
    const HeaderCase& c = GetParam();
    const SayRun run = Say(std::string("--config audioformat=") + c.format + " -o '" + dir_ + "/out.wav' 今天天气很好。");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string wav = ReadFile(dir_ + "/out.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(wav, 16), 16u);
    EXPECT_EQ(Le16(wav, 20), c.tag);
    EXPECT_EQ(Le16(wav, 22), 1u);
    EXPECT_EQ(Le32(wav, 24), c.rate);
    EXPECT_EQ(Le32(wav, 28), c.byte_rate);
    EXPECT_EQ(Le16(wav, 32), c.block_align);
    EXPECT_EQ(Le16(wav, 34), c.bits);
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(Le32(wav, 40), wav.size() - 44);
    EXPECT_EQ(wav.find_first_not_of(wav[44], 44) == std::string::npos, false) << "only silence";
    EXPECT_EQ(OtherFiles(), std::vector<std::string>{"out.wav"});
    struct stat info;
    ASSERT_EQ(stat((dir_ + "/out.wav").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & 0044, 0u) << "written private";
}

INSTANTIATE_TEST_SUITE_P(Formats, KvoSayFormats,
                         ::testing::Values(HeaderCase{"pcm16k16bit", 1, 16000, 32000, 2, 16},
                                           HeaderCase{"pcm8k16bit", 1, 8000, 16000, 2, 16},
                                           HeaderCase{"pcm11k8bit", 1, 11025, 11025, 1, 8},
                                           HeaderCase{"alaw8k8bit", 6, 8000, 8000, 1, 8},
                                           HeaderCase{"ulaw8k8bit", 7, 8000, 8000, 1, 8}));

TEST_F(KvoSay, WritesRawAudioToStandardOutput) {
    const SayRun run = Say("-o - 你好，世界。");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_GT(run.out.size(), 100u);
    EXPECT_NE(run.out.substr(0, 4), "RIFF");
    EXPECT_NE(run.out.find_first_not_of('\0'), std::string::npos);
}

TEST_F(KvoSay, ListsTheVoicesOfTheCatalogue) {
    const SayRun run = Say("--list-voices");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("tts.local.synth "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("tts.local.synth.n6"), std::string::npos) << run.out;
}

struct FailureCase {
    const char* arguments;  // "%s" stands for the scratch folder
    const char* message;
    int status;
};
std::ostream& operator<<(std::ostream& out, const FailureCase& c) { return out << c.arguments; }

class KvoSayFailures : public KvoSay, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(KvoSayFailures, ReportAndLeaveNoFile) {
    std::string arguments = GetParam().arguments;
    const size_t at = arguments.find("%s");
    if (at != std::string::npos) arguments.replace(at, 2, dir_);
    const SayRun run = Say(arguments);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_TRUE(OtherFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KvoSayFailures,
    ::testing::Values(FailureCase{"-o '%s/no/such/folder/out.wav' 你好", "cannot write", 1},
                      FailureCase{"-c tts.local.nosuchvoice -o '%s/out.wav' 你好", "kvo_tts_session_start failed", 1},
                      FailureCase{"--config soundeffect=Echo -o '%s/out.wav' 你好", "kvo_tts_session_start failed", 1},
                      FailureCase{"--config audioformat=pcm44k -o '%s/out.wav' 你好", "unknown audioformat", 2},
                      // The modules' audioformat rule names no VOX format.
                      FailureCase{"--config audioformat=vox8k4bit -o '%s/out.wav' 你好", "unknown audioformat", 2},
                      FailureCase{"--codepage utf16le -o '%s/out.wav' 你好", "unknown code page", 2},
                      FailureCase{"-o '%s/out.wav' ''", "kvo_tts_synth failed", 1},
                      FailureCase{"你好", "no output", 2}));

}  // namespace
}  // namespace module_test
