// The player on PortAudio, against ALSA configurations written into a
// scratch HOME: a null PCM as the default device (it plays faster than real
// time), and a default device that does not exist.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "kvo_tts_player.h"
#include "player_test_support.h"

namespace kvo_player_test {
namespace {

class PortAudioPlayerTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    unsetenv("KVO_AUDIO_DEVICE");
    const char* home = std::getenv("HOME");
    home_ = home != nullptr ? home : "";
  }
  void TearDown() override {
    PlayerTest::TearDown();
    setenv("HOME", home_.c_str(), 1);
  }
  // HOME for PortAudio's ALSA with this .asoundrc.
  void UseAlsaConfig(const std::string& asoundrc) {
    std::ofstream(folder_ + "/.asoundrc") << asoundrc;
    setenv("HOME", folder_.c_str(), 1);
  }

  std::string home_;
};

constexpr const char kNullPcm[] =
    "pcm.ttsnull { type plug slave.pcm { type null } hint { show on description \"TTS null\" } }\n"
    "pcm.!default ttsnull\n";

TEST_F(PortAudioPlayerTest, PlaysOnTheAlsaNullDevice) {
  UseAlsaConfig(kNullPcm);
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  for (const char* config : {kConfig, "capKey=tts.local.synth,audioFormat=pcm8k8bit"}) {
    SCOPED_TRACE(config);
    const std::vector<Event> events = PlayToEnd(kText, config);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().event, PLAYER_EVENT_BEGIN);
    EXPECT_EQ(events.back().event, PLAYER_EVENT_END);
    bool final_progress = false;
    for (const Event& e : events) final_progress = final_progress || (e.event == PLAYER_EVENT_PROGRESS && e.b == 0);
    EXPECT_TRUE(final_progress);
  }
  // Pause, resume and stop on a real stream.
  std::string text;
  for (int i = 0; i < 10; ++i) text += kText;
  recorder_.Clear();
  ASSERT_EQ(kvo_tts_player_start(text.c_str(), kConfig), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_BEGIN, 1));
  EXPECT_EQ(kvo_tts_player_pause(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_PAUSED, 1));
  EXPECT_EQ(kvo_tts_player_stop(), PLAYER_ERR_NONE);
  ASSERT_TRUE(recorder_.WaitForCount(PLAYER_EVENT_END, 1, std::chrono::seconds(20)));
  EXPECT_EQ(recorder_.Count(PLAYER_EVENT_END), 1);
  // A device number PortAudio does not have.
  const std::vector<Event> events = PlayToEnd(kText, "capKey=tts.local.synth,deviceId=4711");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, PLAYER_EVENT_DEVICE_ERROR);
}

TEST_F(PortAudioPlayerTest, NoOutputDeviceFailsTheOpening) {
  UseAlsaConfig("pcm.!default { type hw card 97 }\nctl.!default { type hw card 97 }\n");
  ASSERT_EQ(InitPlayer(), PLAYER_ERR_NONE);
  const std::vector<Event> events = PlayToEnd(kText, kConfig);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, PLAYER_EVENT_DEVICE_ERROR);
  EXPECT_EQ(events[0].a, -1);
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_READY);
}

}  // namespace
}  // namespace kvo_player_test
