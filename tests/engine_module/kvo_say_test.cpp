// kvo-say end to end on the generated test voice: WAV headers per format,
// audio on standard output, the voice list, what each kind of output path
// gets, and failures that leave no file and name what was wrong.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

  // Runs kvo-say in the scratch folder; stdout_path replaces the captured
  // standard output, and before runs first in the same shell.
  SayRun Say(const std::string& arguments, const std::string& stdout_path = "", const std::string& before = "") {
    const std::string out = stdout_path.empty() ? dir_ + "/stdout" : stdout_path, err = dir_ + "/stderr";
    const std::string command = "cd '" + dir_ + "' || exit 9; " + before + "'" + KVO_SAY_PROGRAM + "' --data '" +
                                DataFolder() + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    SayRun run;
    const int status = std::system((command + "; code=$?; wait; exit $code").c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = stdout_path.empty() ? ReadFile(out) : std::string();
    run.err = ReadFile(err);
    return run;
  }
  void Shell(const std::string& command) {
    ASSERT_EQ(std::system(("cd '" + dir_ + "' && " + command).c_str()), 0) << command;
  }
  // A node of the character device major:minor in the scratch folder, or,
  // where nodes cannot be made, the system's own device: a broken kvo-say
  // cannot replace that without root. Empty when neither can be used.
  std::string Device(const char* name, unsigned minor) {
    const std::string node = dir_ + "/" + name;
    if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) {
      const int fd = open(node.c_str(), O_WRONLY);
      if (fd >= 0) {
        close(fd);
        return node;
      }
      unlink(node.c_str());  // a nodev file system
    }
    if (geteuid() == 0) return std::string();
    return std::string("/dev/") + name;
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

// The shipped catalogue lists the English voice with its language, speaker
// and gender (the last --data wins).
TEST_F(KvoSay, ListsTheShippedEnglishVoice) {
  const SayRun run = Say("--data '" + std::string(KVO_TEST_SOURCE_DIR) + "/data' --list-voices");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("tts.local.synth.en       en-US    slt          female"), std::string::npos) << run.out;
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
    ::testing::Values(
        FailureCase{"-o '%s/no/such/folder/out.wav' 你好", "cannot write", 1},
        FailureCase{"-c tts.local.nosuchvoice -o '%s/out.wav' 你好", "kvo_tts_session_start failed", 1},
        FailureCase{"--config audioformat=pcm44k -o '%s/out.wav' 你好", "audioformat=pcm44k is not valid", 2},
        // The modules' audioformat rule names no VOX format.
        FailureCase{"--config audioformat=vox8k4bit -o '%s/out.wav' 你好", "audioformat=vox8k4bit is not valid", 2},
        FailureCase{"--codepage utf16le -o '%s/out.wav' 你好", "code page utf16le is not supported", 2},
        FailureCase{"-o '%s/out.wav' ''", "no text to speak", 1},
        FailureCase{"-o '%s/out.wav' ' \t '", "no text to speak", 1},
        FailureCase{"-o '%s/out.wav' '\xE3\x80\x80 '", "no text to speak", 1},
        FailureCase{"-f /dev/null -o '%s/out.wav'", "no text to speak", 1},
        FailureCase{"-o '%s' 你好", "Is a directory", 1},
        FailureCase{"--log /dev/null/log -o '%s/out.wav' 你好", "cannot write the log into /dev/null/log", 1},
        FailureCase{"-o '%s/out.wav' -5度", "put -- before text", 2}, FailureCase{"你好", "no output", 2}));

// Entries the SDK would pass over silently or refuse with a bare code are
// refused before anything is made, naming the key or the code page.
INSTANTIATE_TEST_SUITE_P(
    Configuration, KvoSayFailures,
    ::testing::Values(
        FailureCase{"--codepage 1252 -o '%s/out.wav' 你好", "code page 1252 is not supported; supported: 65001", 2},
        FailureCase{"--codepage 1200 -o '%s/out.wav' 你好", "code page 1200 is not supported", 2},
        FailureCase{"--config codepage=65000 -o '%s/out.wav' 你好", "code page 65000 is not supported", 2},
        FailureCase{"--config foo=1 -o '%s/out.wav' 你好", "unknown configuration key foo", 2},
        FailureCase{"--config sped=7 -o '%s/out.wav' 你好", "unknown configuration key sped", 2},
        FailureCase{"--config x -o '%s/out.wav' 你好", "entry 'x' is not KEY=VALUE", 2},
        FailureCase{"--config speed=12 -o '%s/out.wav' 你好", "speed=12 is not valid", 2},
        FailureCase{"--config Volume=.5 -o '%s/out.wav' 你好", "volume=.5 is not valid", 2},
        FailureCase{"--config soundeffect=Echo -o '%s/out.wav' 你好",
                    "soundeffect=Echo is not valid; soundeffect takes base,", 2},
        FailureCase{"--config mixsound=0 -o '%s/out.wav' 你好", "mixsound=0 is not valid", 2},
        FailureCase{"--config speedup=on -o '%s/out.wav' 你好",
                    "speedup is not supported by the engine of tts.local.synth", 2},
        FailureCase{"-c tts.local.synth.n6 --config silencemode=short -o '%s/out.wav' 你好",
                    "silencemode is not supported", 2},
        FailureCase{"-c tts.local.synth.n6 --config puncmode=on_rtn -o '%s/out.wav' 你好",
                    "puncmode=on_rtn is not valid", 2},
        FailureCase{"--config capkey=tts.local.synth.n6,gainfactor=9 -o '%s/out.wav' 你好", "gainfactor=9 is not valid",
                    2}));

// Command lines that must speak: "--" before text with a leading '-', code
// page names the module itself would not read, keys only the n6 module
// takes, the SDK's own spelling of keys, a log folder that is made.
class KvoSayAccepts : public KvoSay, public ::testing::WithParamInterface<const char*> {};

TEST_P(KvoSayAccepts, Speaks) {
  std::string arguments = GetParam();
  const size_t at = arguments.find("%s");
  if (at != std::string::npos) arguments.replace(at, 2, dir_);
  const SayRun run = Say("-o out.wav " + arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string wav = ReadFile(dir_ + "/out.wav");
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(wav, 40), wav.size() - 44);
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, KvoSayAccepts,
                         ::testing::Values("-- -今天天气很好。", "--codepage UTF-8 今天天气很好。",
                                           "--config codepage=utf-8 今天天气很好。",
                                           "-c tts.local.synth.n6 --config speedup=2,symbolfilter=off 今天天气很好。",
                                           "--config Speed=9.99,,VOLUME=0,speedmode=double 今天天气很好。",
                                           "--log '%s/logs/deep' 今天天气很好。"));

TEST_F(KvoSay, HelpDocumentsTheEndOfOptions) {
  const SayRun run = Say("--help");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("[--] [TEXT...]"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n  --  "), std::string::npos) << run.out;
}

// A regular file gets the audio only at the end, and what the path names
// stays what it was: a link stays a link, the file keeps its mode.
struct FileCase {
  const char* setup;       // shell commands run in the scratch folder
  const char* output;      // the -o path
  const char* audio_file;  // where the audio must end up
  bool output_is_link;
  mode_t mode;  // of audio_file afterwards; 0: a new file's
};
std::ostream& operator<<(std::ostream& out, const FileCase& c) { return out << c.setup; }

class KvoSayFiles : public KvoSay, public ::testing::WithParamInterface<FileCase> {};

TEST_P(KvoSayFiles, WritesTheFileThePathNames) {
  const FileCase& c = GetParam();
  Shell(c.setup);
  const std::vector<std::string> before = OtherFiles();
  const SayRun run = Say(std::string("-o ") + c.output + " 今天天气很好。");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string wav = ReadFile(dir_ + "/" + c.audio_file);
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(wav, 40), wav.size() - 44);
  struct stat link_info, info;
  ASSERT_EQ(lstat((dir_ + "/" + c.output).c_str(), &link_info), 0);
  EXPECT_EQ(S_ISLNK(link_info.st_mode), c.output_is_link);
  ASSERT_EQ(stat((dir_ + "/" + c.audio_file).c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(info.st_mode & 0777, c.mode != 0 ? c.mode : 0666 & ~mask);
  EXPECT_EQ(ReadFile(dir_ + "/" + c.output), wav);
  std::vector<std::string> after = OtherFiles(), expected = before;
  const std::string made = std::string(c.audio_file).substr(0, std::string(c.audio_file).find('/'));
  if (std::find(expected.begin(), expected.end(), made) == expected.end()) expected.push_back(made);
  std::sort(after.begin(), after.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(after, expected) << "scratch files left";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, KvoSayFiles,
    ::testing::Values(
        FileCase{"echo old > out.wav && chmod 640 out.wav", "out.wav", "out.wav", false, 0640},
        FileCase{"echo old > target && chmod 600 target && ln -s target link", "link", "target", true, 0600},
        FileCase{"ln -s nowhere.wav link", "link", "nowhere.wav", true, 0},
        FileCase{"mkdir sub && echo old > sub/t && chmod 644 sub/t && ln -s sub/t link", "link", "sub/t", true, 0644},
        // Both names of a hard-linked file see the audio.
        FileCase{"echo old > first && chmod 604 first && ln first second", "second", "first", false, 0604}));

TEST_F(KvoSay, StreamsIntoAFifoAndADevice) {
  ASSERT_EQ(mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
  // The reader gives up if kvo-say never opens the FIFO.
  SayRun run = Say("-o fifo 今天天气很好。", "", "timeout 60 cat fifo > got & ");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string wav = ReadFile(dir_ + "/got");
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(wav, 4), 0xFFFFFFFFu) << "a stream cannot tell its length";
  struct stat info;
  ASSERT_EQ(lstat((dir_ + "/fifo").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  const std::string null_device = Device("null", 3);
  if (null_device.empty()) GTEST_SKIP() << "no null device node can be made";
  run = Say("-o '" + null_device + "' 今天天气很好。");
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(lstat(null_device.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device was replaced";
}

TEST_F(KvoSay, ReportsAWriteErrorOfADevice) {
  const std::string full = Device("full", 7);
  if (full.empty()) GTEST_SKIP() << "no full device node can be made";
  for (const bool to_stdout : {false, true}) {
    const SayRun run = to_stdout ? Say("-o - 今天天气很好。", full) : Say("-o '" + full + "' 今天天气很好。");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(to_stdout ? "cannot write standard output: " : "cannot write " + full + ": "),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(std::strerror(ENOSPC)), std::string::npos) << run.err;
    struct stat info;
    ASSERT_EQ(lstat(full.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device was replaced";
  }
}

TEST_F(KvoSay, LeavesASocketAlone) {
  const std::string path = dir_ + "/socket";
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const SayRun run = Say("-o socket 今天天气很好。");
  close(fd);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("socket is not a regular file, a device or a FIFO"), std::string::npos) << run.err;
  struct stat info;
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(OtherFiles(), std::vector<std::string>{"socket"});
}

}  // namespace
}  // namespace module_test
