#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kvo_sys.h"
#include "temp_folder.h"

namespace {

class SysLogTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (KVO_IsInited()) kvo_release();
  }
  void Init(const std::string& extra) {
    ASSERT_EQ(kvo_init(("logFilePath=" + logs_.path() + "/logs," + extra).c_str()), KVO_SYS_OK);
  }
  std::string LogText() const { return logs_.Read("logs/kvo_tts.log"); }
  TempFolder logs_;
};

int CountLines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

TEST_F(SysLogTest, LevelFiltersLines) {
  Init("logLevel=3");
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] error %d", "test", "Op", 1);
  KVO_LOG(KVO_LOG_INFO, "[%s][%s] info", "test", "Op");
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] trace", "test", "Op");
  kvo_release();
  const std::string text = LogText();
  EXPECT_NE(text.find("[test][Op] error 1"), std::string::npos);
  EXPECT_NE(text.find("[test][Op] info"), std::string::npos);
  EXPECT_EQ(text.find("trace"), std::string::npos);
}

TEST_F(SysLogTest, LineCarriesMillisecondTimestamp) {
  Init("logLevel=1");
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] stamped\n", "test", "Op");
  kvo_release();
  const std::string text = LogText();
  // "YYYY-MM-DD HH:MM:SS.mmm [thread] LEVEL message\n", one line per call.
  ASSERT_GE(text.size(), 24u);
  EXPECT_EQ(text[4], '-');
  EXPECT_EQ(text[19], '.');
  EXPECT_EQ(text[23], ' ');
  EXPECT_EQ(CountLines(text), 1);
}

TEST_F(SysLogTest, NothingIsWrittenWhenLoggingIsOff) {
  Init("logLevel=0");
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] hidden", "test", "Op");
  kvo_release();
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] after release", "test", "Op");
  EXPECT_EQ(LogText(), "");
}

TEST_F(SysLogTest, RotatesBySizeKeepingFileCount) {
  Init("logLevel=5,logFileSize=1,logFileCount=3");
  const std::string padding(100, 'x');
  for (int i = 0; i < 200; ++i) KVO_LOG(KVO_LOG_INFO, "[%s][%s] %d %s", "test", "Op", i, padding.c_str());
  kvo_release();
  const std::vector<std::string> files = TempFolder::List(logs_.path() + "/logs");
  EXPECT_EQ(files, (std::vector<std::string>{"kvo_tts.log", "kvo_tts.log.1", "kvo_tts.log.2"}));
  for (const std::string& name : files) EXPECT_LE(logs_.Read("logs/" + name).size(), 1024u) << name;
  EXPECT_NE(LogText().find(" 199 "), std::string::npos) << "the newest line is in the current file";
}

TEST_F(SysLogTest, ConcurrentLinesStayWhole) {
  Init("logLevel=5,logFileSize=100000");
  const int kThreads = 8, kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) KVO_LOG(KVO_LOG_TRACE, "[%s][%s] thread=%d line=%d end", "test", "Op", t, i);
    });
  }
  for (auto& thread : threads) thread.join();
  kvo_release();
  std::istringstream lines(LogText());
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    if (line.find("[test][Op]") == std::string::npos) continue;  // the library's own lines
    ++count;
    EXPECT_EQ(line.substr(line.size() - 4), " end") << line;
  }
  EXPECT_EQ(count, kThreads * kLines);
}

TEST_F(SysLogTest, UnwritableFolderTurnsLoggingOff) {
  ASSERT_EQ(kvo_init("logLevel=5,logFilePath=/proc/kvo_no_such_folder"), KVO_SYS_OK);
  KVO_LOG(KVO_LOG_ERROR, "[%s][%s] dropped", "test", "Op");  // must not crash
  EXPECT_TRUE(KVO_IsInited());
}

}  // namespace
