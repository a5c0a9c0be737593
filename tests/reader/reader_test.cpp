// The reader's flows: start-up, voice lists, reading through the player,
// settings, WAV export, opening texts and the single-instance guard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <memory>

#include "dialogs.h"
#include "kvo_tts_player.h"
#include "main_window.h"
#include "reading_controller.h"
#include "reading_range.h"
#include "single_instance.h"
#include "skin.h"
#include "text_file.h"
#include "voice_catalogue.h"
#include "wav_export.h"

namespace tamblor {
namespace {

Voice MakeVoice(const std::string& key, const std::string& lang, const std::string& speaker,
                const std::string& gender) {
  Voice v;
  v.capkey = key;
  if (!lang.empty()) v.properties.emplace_back("lang", lang);
  if (!speaker.empty()) v.properties.emplace_back("speaker", speaker);
  if (!gender.empty()) v.properties.emplace_back("gender", gender);
  return v;
}

TEST(VoiceCatalogueTest, ListsAndSelections) {
  VoiceCatalogue c;
  c.Build({MakeVoice("a", "chinese/english", "lily", "female"), MakeVoice("b", "chinese", "haobo_news", "male"),
           MakeVoice("c", "chinese", "haobo_weather", "male"), MakeVoice("d", "chinese", "xiaokun", "male"),
           MakeVoice("e", "chinese", "kun", "male"), MakeVoice("f", "thai", "somchai", "male"),
           MakeVoice("g", "chinese", "", "male"), MakeVoice("h", "chinese", "nogender", "")});
  EXPECT_EQ(c.languages(), (std::vector<std::string>{"中文/英文", "中文", "thai"}));
  ASSERT_NE(c.current(), nullptr);
  EXPECT_EQ(c.current()->capkey, "a");

  c.SelectLanguage(1);
  // Sorted, one entry per speaker and gender; the voice without a speaker is not offered.
  EXPECT_EQ(c.speakers(), (std::vector<std::string>{"haobo 男声", "kun 男声", "nogender ", "xiaokun 男声"}));
  EXPECT_EQ(c.current()->capkey, "b");
  EXPECT_EQ(c.selected_count(), 2u);  // haobo_news and haobo_weather
  c.SelectSpeaker(3);                 // "xiaokun 男声" also contains "kun": the first in list order wins
  EXPECT_EQ(c.current()->capkey, "d");
  c.SelectSpeaker(2);  // a voice without gender never matches
  EXPECT_EQ(c.current(), nullptr);

  // The same language again applies its first speaker again.
  c.SelectLanguage(1);
  EXPECT_EQ(c.speaker_index(), 0);
  EXPECT_EQ(c.current()->capkey, "b");

  c.SelectLanguage(2);  // a code outside the table is shown as it is
  EXPECT_EQ(c.speakers(), (std::vector<std::string>{"somchai 男声"}));
  EXPECT_EQ(c.current()->capkey, "f");
}

TEST(ReadingRangeTest, RangeAndTrim) {
  struct Case {
    int length, sel_start, sel_end, start, end;
  } cases[] = {
      {3, 1, 1, 1, 3},  // cursor: to the end
      {3, 3, 3, 0, 3},  // cursor at the end: everything
      {3, 1, 2, 1, 2},  // selection
      {3, 2, 1, 1, 2},  // selection made backwards
      {3, 0, 0, 0, 3},
  };
  for (const Case& c : cases) {
    const Range r = ChooseRange(c.length, c.sel_start, c.sel_end);
    EXPECT_EQ(r.start, c.start) << c.sel_start << "," << c.sel_end;
    EXPECT_EQ(r.end, c.end) << c.sel_start << "," << c.sel_end;
  }
  size_t leading = 0;
  EXPECT_EQ(TrimBlanks(" \r\n\tab c \n", &leading), "ab c");
  EXPECT_EQ(leading, 4u);
  EXPECT_EQ(TrimBlanks(" \n \t", &leading), "");
}

TEST(TextFileTest, Encodings) {
  const QString hello = QStringLiteral("你好，世界");
  QByteArray utf16le("\xFF\xFE", 2);
  QByteArray utf16be("\xFE\xFF", 2);
  for (QChar ch : hello) {
    utf16le.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
    utf16be.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
  }
  const QByteArray gbk("\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7");
  struct Case {
    const char* name;
    QByteArray bytes;
    TextFileStatus status;
  } cases[] = {
      {"utf-16le", utf16le, TextFileStatus::kOk},
      {"utf-16be", utf16be, TextFileStatus::kOk},
      {"utf-8", hello.toUtf8(), TextFileStatus::kOk},
      {"utf-8 with mark", QByteArray("\xEF\xBB\xBF") + hello.toUtf8(), TextFileStatus::kOk},
      {"gbk", gbk, TextFileStatus::kOk},
      {"binary",
       QByteArray("\x7F"
                  "ELF\x02\x01\x01\x00\x00\x00",
                  10),
       TextFileStatus::kUnknownEncoding},
      {"utf-16 of odd length", utf16le + "x", TextFileStatus::kUnknownEncoding},
      {"undecodable", QByteArray("\x81\x20\xFF\xFE\x80"), TextFileStatus::kUnknownEncoding},
  };
  for (const Case& c : cases) {
    QString text;
    EXPECT_EQ(DecodeText(c.bytes, &text), c.status) << c.name;
    if (c.status == TextFileStatus::kOk) {
      EXPECT_EQ(text, hello) << c.name;
    }
  }
}

TEST(TextFileTest, RefusesHugeFiles) {
  QTemporaryDir dir;
  QFile f(dir.filePath("big.txt"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(kMaxTextFileBytes + 1));
  f.close();
  QString text;
  EXPECT_EQ(ReadTextFile(f.fileName(), &text), TextFileStatus::kTooLarge);
  EXPECT_EQ(ReadTextFile(dir.filePath("missing.txt"), &text), TextFileStatus::kCannotOpen);
}

TEST(WavHeaderTest, SizesAndFormat) {
  unsigned char h[kWavHeaderSize];
  FillWavHeader(3500, h);
  const unsigned char expected[kWavHeaderSize] = {
      'R', 'I', 'F',  'F',  0xD0, 0x0D, 0,    0,    'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,   0,    0,    1, 0,
      1,   0,   0x80, 0x3E, 0,    0,    0x00, 0x7D, 0,   0,   2,   0,   16,  0,   'd', 'a', 't', 'a', 0xAC, 0x0D, 0, 0};
  EXPECT_EQ(std::memcmp(h, expected, kWavHeaderSize), 0);
}

TEST(SkinSliderTest, PointerAndKeys) {
  SkinSlider s;
  s.setRange(0, 9);
  s.setPageSize(3);
  s.resize(214, 24);                // a 200-pixel channel for the thumb centre
  EXPECT_EQ(s.PositionAt(107), 4);  // (107 - 7) * 9 / 200 = 4.5, truncated
  EXPECT_EQ(s.PositionAt(-50), 0);
  EXPECT_EQ(s.PositionAt(500), 9);
  QSignalSpy changed(&s, &SkinSlider::changed);
  struct Case {
    Qt::Key key;
    int value;
  } keys[] = {{Qt::Key_End, 9},  {Qt::Key_Right, 9}, {Qt::Key_PageUp, 6},  {Qt::Key_Left, 5},
              {Qt::Key_Home, 0}, {Qt::Key_Up, 0},    {Qt::Key_PageDown, 3}};
  for (const Case& k : keys) {
    QTest::keyClick(&s, k.key);
    EXPECT_EQ(s.value(), k.value) << k.key;
  }
  EXPECT_EQ(changed.count(), 7);
  s.setEnabled(false);
  QTest::keyClick(&s, Qt::Key_End);
  EXPECT_EQ(s.value(), 3);
}

// A main window on a data folder, with its messages and player starts recorded.
class ReaderWindowTest : public ::testing::Test {
 protected:
  void Open(const char* data_env) {
    ReaderOptions options;
    options.data_dir = QString::fromLocal8Bit(qgetenv(data_env));
    options.history_path = home_.filePath("his_text.txt");
    options.log_dir = home_.filePath("log");
    window_ = std::make_unique<MainWindow>(options);
    window_->show_message = [this](const QString& m) { messages_.push_back(m); };
    window_->ask_wav_path = [this] { return wav_path_; };
    window_->ask_open_path = [this] { return open_path_; };
    auto real_start = window_->controller()->start_player;
    window_->controller()->start_player = [this, real_start](const std::string& text, const std::string& config) {
      starts_.push_back({text, config});
      return real_start(text, config);
    };
    window_->InitialiseSdk();
  }
  void TearDown() override {
    if (window_) window_->Shutdown();
  }
  // Chooses the one voice of the test catalogue that has a library behind it.
  void ChooseRealVoice() {
    const auto& speakers = window_->catalogue().speakers();
    const auto it = std::find(speakers.begin(), speakers.end(), "mei 女声");
    ASSERT_NE(it, speakers.end());
    emit window_->speaker_list()->activated(static_cast<int>(it - speakers.begin()));
    ASSERT_EQ(window_->catalogue().current()->capkey, "tts.local.synth");
  }
  bool WaitIdle(int ms = 20000) {
    return QTest::qWaitFor([this] { return window_->controller()->state() == ReadingController::kIdle; }, ms);
  }
  void SetText(const QString& text, int sel_start, int sel_end) {
    window_->text_box()->setPlainText(text);
    QTextCursor c = window_->text_box()->textCursor();
    c.setPosition(sel_start);
    c.setPosition(sel_end, QTextCursor::KeepAnchor);
    window_->text_box()->setTextCursor(c);
  }

  QTemporaryDir home_;
  std::unique_ptr<MainWindow> window_;
  std::vector<QString> messages_;
  std::vector<std::pair<std::string, std::string>> starts_;
  QString wav_path_;
  QString open_path_;
};

TEST_F(ReaderWindowTest, StartsWithTheCatalogueVoices) {
  Open("TAMBLOR_TEST_DATA");
  EXPECT_EQ(window_->init_status(), MainWindow::InitStatus::kReady);
  EXPECT_TRUE(messages_.empty());
  QStringList languages;
  for (int i = 0; i < window_->language_list()->count(); ++i) languages << window_->language_list()->itemText(i);
  EXPECT_EQ(languages, (QStringList{QStringLiteral("中文"), QStringLiteral("中文/英文"), QStringLiteral("thai")}));
  QStringList speakers;
  for (int i = 0; i < window_->speaker_list()->count(); ++i) speakers << window_->speaker_list()->itemText(i);
  EXPECT_EQ(speakers, (QStringList{QStringLiteral("haobo 男声"), QStringLiteral("mei 女声")}));
  emit window_->language_list()->activated(1);
  EXPECT_EQ(window_->speaker_list()->count(), 1);
  EXPECT_EQ(window_->speaker_list()->itemText(0), QStringLiteral("lily 女声"));
}

TEST_F(ReaderWindowTest, DataWithoutVoicesLeavesAUsableWindow) {
  Open("TAMBLOR_TEST_EMPTY_DATA");
  EXPECT_NE(window_->init_status(), MainWindow::InitStatus::kReady);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], QStringLiteral("获取可用能力信息失败"));
  EXPECT_EQ(window_->language_list()->count(), 0);
  SetText(QStringLiteral("你好。"), 0, 0);
  window_->Play();
  window_->ExportWav();
  EXPECT_EQ(messages_.back(), QStringLiteral("请设置音库参数"));
  EXPECT_EQ(messages_.size(), 3u);
  EXPECT_TRUE(starts_.empty());
}

TEST_F(ReaderWindowTest, ReadsWholeTextSelectionAndFromCursor) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  emit window_->play_mode_list()->activated(1);
  window_->play_mode_list()->setCurrentIndex(1);  // once
  struct Case {
    int sel_start, sel_end;
    const char* read;
  } cases[] = {{0, 0, "你好。再见。"}, {7, 7, "你好。再见。"}, {3, 3, "再见。"}, {3, 5, "再见"}};
  for (const Case& c : cases) {
    starts_.clear();
    SetText(QStringLiteral(" 你好。再见。\n"), c.sel_start + 1, c.sel_end + 1);
    window_->Play();
    ASSERT_EQ(starts_.size(), 1u);
    EXPECT_EQ(starts_[0].first, c.read);
    EXPECT_EQ(starts_[0].second, "capKey=tts.local.synth,audioFormat=pcm16k16bit,Volume=5,Pitch=5,Speed=5");
    EXPECT_TRUE(window_->pause_button()->isVisibleTo(window_.get()));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(window_->play_button()->isVisibleTo(window_.get()));  // once: play is back
  }
  SetText(QStringLiteral(" \n "), 0, 3);
  window_->Play();
  EXPECT_EQ(messages_.back(), QStringLiteral("未输入合成内容或光标指定合成内容为空"));
  SetText(QString(), 0, 0);
  window_->Play();
  EXPECT_EQ(messages_.back(), QStringLiteral("请输入合成内容"));
}

TEST_F(ReaderWindowTest, PauseResumeStopAndHighlight) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  window_->play_mode_list()->setCurrentIndex(1);
  SetText(QStringLiteral("今天天气很好。我们去公园散步。公园里的花都开了。"), 0, 0);
  QSignalSpy sounding(window_->controller(), &ReadingController::sounding);
  window_->Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return sounding.count() > 0; }, 20000));
  // The first span lies in the text box's first sentence.
  EXPECT_EQ(sounding[0][0].toInt(), 0);
  EXPECT_GT(sounding[0][1].toInt(), 0);
  EXPECT_FALSE(window_->text_box()->extraSelections().isEmpty());
  window_->Pause();
  EXPECT_EQ(window_->controller()->state(), ReadingController::kPaused);
  EXPECT_TRUE(QTest::qWaitFor([] { return kvo_tts_player_get_state() == PLAYER_STATE_PAUSED; }, 5000));
  window_->Play();
  EXPECT_EQ(window_->controller()->state(), ReadingController::kPlaying);
  EXPECT_TRUE(QTest::qWaitFor([] { return kvo_tts_player_get_state() == PLAYER_STATE_PLAYING; }, 5000));
  window_->Stop();
  EXPECT_EQ(window_->controller()->state(), ReadingController::kIdle);
  EXPECT_TRUE(QTest::qWaitFor([] { return kvo_tts_player_get_state() == PLAYER_STATE_READY; }, 5000));
  QTest::qWait(100);
  EXPECT_TRUE(window_->text_box()->extraSelections().isEmpty());
  EXPECT_EQ(starts_.size(), 1u);
}

TEST_F(ReaderWindowTest, DeviceThatCannotOpenIsReported) {
  const QByteArray device = qgetenv("KVO_AUDIO_DEVICE");
  qputenv("KVO_AUDIO_DEVICE", "no-such-device");  // read by the player's init
  Open("TAMBLOR_TEST_DATA");
  qputenv("KVO_AUDIO_DEVICE", device);
  ChooseRealVoice();
  SetText(QStringLiteral("你好。"), 0, 0);
  window_->Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.empty(); }, 20000));
  EXPECT_EQ(messages_[0], QStringLiteral("语音合成播放失败：无法打开声音设备"));
  EXPECT_EQ(window_->controller()->state(), ReadingController::kIdle);
  EXPECT_TRUE(window_->play_button()->isVisibleTo(window_.get()));
  // No repetition of a reading that could not start.
  QTest::qWait(600);
  EXPECT_EQ(starts_.size(), 1u);
}

TEST_F(ReaderWindowTest, RepeatsAfterTheIntervalUntilStopped) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  window_->play_mode_list()->setCurrentIndex(0);
  window_->interval_box()->setText(QStringLiteral("1a"));
  SetText(QStringLiteral("你好。"), 0, 0);
  window_->Play();
  EXPECT_EQ(messages_.back(), QStringLiteral("播放间隔无效"));
  EXPECT_TRUE(starts_.empty());
  window_->interval_box()->setText(QStringLiteral("0"));
  window_->Play();
  ASSERT_TRUE(QTest::qWaitFor([&] { return starts_.size() >= 2; }, 20000));
  EXPECT_EQ(starts_[1], starts_[0]);
  EXPECT_TRUE(window_->pause_button()->isVisibleTo(window_.get()));
  // A stop during the reading ends it without a repetition.
  window_->Stop();
  const size_t count = starts_.size();
  QTest::qWait(1500);
  EXPECT_EQ(starts_.size(), count);
  EXPECT_TRUE(window_->play_button()->isVisibleTo(window_.get()));
}

TEST_F(ReaderWindowTest, SettingsDialogValuesReachTheNextReading) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  window_->play_mode_list()->setCurrentIndex(1);
  SettingsDialog dialog(window_->settings());
  EXPECT_EQ(dialog.value_label(1)->text(), QStringLiteral("0"));  // pitch 5 is shown as 0
  QTest::keyClick(dialog.slider(0), Qt::Key_End);
  QTest::keyClick(dialog.slider(1), Qt::Key_Home);
  QTest::keyClick(dialog.slider(2), Qt::Key_Left);
  EXPECT_EQ(dialog.value_label(1)->text(), QStringLiteral("-5"));
  dialog.highlight_box()->setChecked(false);
  QTest::mouseClick(dialog.confirm_button(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  window_->ApplySettings(dialog.values());
  EXPECT_EQ(window_->prosody_slider(0)->value(), 9);
  SetText(QStringLiteral("你好。"), 0, 0);
  window_->Play();
  ASSERT_EQ(starts_.size(), 1u);
  EXPECT_EQ(starts_[0].second, "capKey=tts.local.synth,audioFormat=pcm16k16bit,Volume=9,Pitch=0,Speed=4");
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(window_->text_box()->extraSelections().isEmpty());
  window_->ResetProsody();
  EXPECT_EQ(window_->settings().volume, 5);
}

TEST_F(ReaderWindowTest, ExportWritesAWavFileWithItsSizes) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  SetText(QStringLiteral("今天天气很好。"), 0, 0);
  wav_path_ = home_.filePath("out.wav");
  QSignalSpy done(window_.get(), &MainWindow::exportFinished);
  window_->ExportWav();
  EXPECT_TRUE(window_->export_running());
  ASSERT_TRUE(done.wait(60000));
  EXPECT_TRUE(messages_.empty());
  QFile f(wav_path_);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  ASSERT_GT(bytes.size(), 44 + 16000);  // more than half a second of speech
  unsigned char header[kWavHeaderSize];
  FillWavHeader(static_cast<uint32_t>(bytes.size() - 44), header);
  EXPECT_EQ(std::memcmp(bytes.constData(), header, kWavHeaderSize), 0);
  EXPECT_EQ(bytes.size() % 2, 0);
  EXPECT_FALSE(QFile::exists(wav_path_ + ".part"));
}

TEST_F(ReaderWindowTest, ExportFailuresLeaveNoFile) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  SetText(QStringLiteral("今天天气很好。"), 0, 0);
  // A folder that does not exist cannot take the file.
  wav_path_ = home_.filePath("missing/out.wav");
  QSignalSpy done(window_.get(), &MainWindow::exportFinished);
  window_->ExportWav();
  ASSERT_TRUE(done.wait(60000));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], QStringLiteral("输出文件写入失败"));
  // A cancelled export removes what it wrote.
  wav_path_ = home_.filePath("cancelled.wav");
  SetText(QString(200, QChar(0x597D)) + QStringLiteral("。"), 0, 0);
  window_->ExportWav();
  window_->CancelExport();
  ASSERT_TRUE(done.wait(60000));
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_FALSE(QFile::exists(wav_path_));
  EXPECT_FALSE(QFile::exists(wav_path_ + ".part"));
}

TEST_F(ReaderWindowTest, ClosingDuringReadingAndExport) {
  Open("TAMBLOR_TEST_DATA");
  ChooseRealVoice();
  SetText(QString(100, QChar(0x597D)) + QStringLiteral("。"), 0, 0);
  window_->Play();
  wav_path_ = home_.filePath("closing.wav");
  window_->ExportWav();
  QTest::qWait(200);
  window_->close();
  EXPECT_EQ(kvo_tts_player_get_state(), PLAYER_STATE_NOT_INIT);
  EXPECT_FALSE(QFile::exists(wav_path_ + ".part"));
}

TEST_F(ReaderWindowTest, TextFilesAndHistory) {
  Open("TAMBLOR_TEST_DATA");
  QFile binary(home_.filePath("binary.txt"));
  ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
  binary.write(QByteArray("\x00\x01\x02\x03text", 8));
  binary.close();
  SetText(QStringLiteral("原来的文字"), 0, 0);
  open_path_ = binary.fileName();
  window_->OpenTextFile();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(window_->text_box()->toPlainText(), QStringLiteral("原来的文字"));

  QFile gbk(home_.filePath("gbk.txt"));
  ASSERT_TRUE(gbk.open(QIODevice::WriteOnly));
  gbk.write("\xC4\xE3\xBA\xC3");
  gbk.close();
  open_path_ = gbk.fileName();
  window_->OpenTextFile();
  EXPECT_EQ(window_->text_box()->toPlainText(), QStringLiteral("你好"));

  // The text comes back in the next session.
  window_->Shutdown();
  window_.reset();
  Open("TAMBLOR_TEST_DATA");
  EXPECT_EQ(window_->text_box()->toPlainText(), QStringLiteral("你好"));
}

TEST(SingleInstanceTest, SecondStartRaisesTheFirst) {
  QTemporaryDir dir;
  SingleInstance first(dir.path());
  ASSERT_TRUE(first.Acquire());
  QSignalSpy raised(&first, &SingleInstance::raiseRequested);
  SingleInstance second(dir.path());
  EXPECT_FALSE(second.Acquire());
  EXPECT_TRUE(second.RaiseRunning());
  EXPECT_TRUE(raised.wait(5000));
}

}  // namespace
}  // namespace tamblor

int main(int argc, char** argv) {
  // CTest hands a discovered test only the first of several environment
  // entries, so the settings are also made here.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("KVO_AUDIO_DEVICE")) qputenv("KVO_AUDIO_DEVICE", "null-realtime");
  if (qEnvironmentVariableIsEmpty("TAMBLOR_TEST_DATA"))
    qputenv("TAMBLOR_TEST_DATA", KVO_TEST_BINARY_DIR "/tests/reader/reader_data");
  if (qEnvironmentVariableIsEmpty("TAMBLOR_TEST_EMPTY_DATA"))
    qputenv("TAMBLOR_TEST_EMPTY_DATA", KVO_TEST_BINARY_DIR "/tests/reader/reader_data_empty");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
