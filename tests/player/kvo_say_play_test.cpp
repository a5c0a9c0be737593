// kvo-say --play on the null device: the spoken text as progress, Ctrl-C,
// the device list and the usage errors of the play options.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs kvo-say with args and KVO_AUDIO_DEVICE=device; with interrupt, sends
// SIGINT once the program has printed its first progress line.
ProgramRun KvoSay(const std::vector<std::string>& args, const char* device, bool interrupt = false) {
  int out_pipe[2], err_pipe[2];
  ProgramRun run;
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]);
    close(err_pipe[0]);
    if (device != nullptr) setenv("KVO_AUDIO_DEVICE", device, 1);
    std::vector<char*> argv;
    const std::string program = std::string(KVO_TEST_BINARY_DIR) + "/bin/kvo-say";
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  fcntl(err_pipe[0], F_SETFL, O_NONBLOCK);
  bool sent = false;
  char buffer[4096];
  while (true) {
    const ssize_t n = read(err_pipe[0], buffer, sizeof buffer);
    if (n > 0) {
      run.err.append(buffer, n);
      if (interrupt && !sent && run.err.find(']') != std::string::npos) {
        kill(pid, SIGINT);
        sent = true;
      }
    } else if (n == 0) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ssize_t n;
  while ((n = read(out_pipe[0], buffer, sizeof buffer)) > 0) run.out.append(buffer, n);
  close(out_pipe[0]);
  close(err_pipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

const std::string kData = std::string(KVO_TEST_SOURCE_DIR) + "/data";

TEST(KvoSayPlay, SpeaksAndShowsTheSpokenText) {
  const ProgramRun run = KvoSay({"--data", kData, "--play", "--progress", "今天天气很好。我们去公园散步吧。"}, "null");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("[今天天气很好。]"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("[我们去公园散步吧。]"), std::string::npos) << run.err;
}

TEST(KvoSayPlay, CtrlCStopsThePlayback) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "今天天气很好。";
  const ProgramRun run = KvoSay({"--data", kData, "--play", "--progress", text}, "null-realtime", true);
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_NE(run.err.find("kvo-say: stopped"), std::string::npos) << run.err;
}

TEST(KvoSayPlay, DeviceListAndErrors) {
  ProgramRun run = KvoSay({"--list-devices"}, "null");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("null device"), std::string::npos) << run.out;

  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"--play", "-o", "x.wav", "你好"}, 2, "not both"},
      {{"--device", "0", "-o", "x.wav", "你好"}, 2, "--device needs --play"},
      {{"--play", "--device", "x", "你好"}, 2, "needs a device number"},
      {{"--data", kData, "--play", "--config", "audioformat=alaw8k8bit", "你好"}, 2, "cannot be played"},
      {{"--data", kData, "--play", "--device", "7", "你好"}, 1, "sound device"},
      {{"--data", kData, "--play", "-c", "tts.local.none", "你好"}, 1, "synthesis failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    run = KvoSay(c.args, "null");
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

}  // namespace
