#include "reading_controller.h"

#include <QMetaObject>
#include <cstdio>

#include "kvo_tts_player.h"
#include "reading_range.h"

namespace tamblor {

ReadingController::ReadingController(QObject* parent) : QObject(parent) {
  repeat_timer_.setInterval(200);
  connect(&repeat_timer_, &QTimer::timeout, this, &ReadingController::OnRepeatTick);
  start_player = [](const std::string& text, const std::string& config) {
    return kvo_tts_player_start(text.c_str(), config.c_str());
  };
}

ReadingController::~ReadingController() = default;

void ReadingController::OnPlayerState(int event, void* user) {
  auto* self = static_cast<ReadingController*>(user);
  if (event == PLAYER_EVENT_BEGIN)
    QMetaObject::invokeMethod(
        self, [self] { self->OnBegin(); }, Qt::QueuedConnection);
  else if (event == PLAYER_EVENT_END)
    QMetaObject::invokeMethod(
        self, [self] { self->OnEnd(); }, Qt::QueuedConnection);
}

void ReadingController::OnPlayerProgress(int event, int begin, int end, void* user) {
  if (event != PLAYER_EVENT_PROGRESS) return;
  auto* self = static_cast<ReadingController*>(user);
  QMetaObject::invokeMethod(
      self, [self, begin, end] { self->OnProgress(begin, end); }, Qt::QueuedConnection);
}

void ReadingController::OnPlayerError(int event, int /*code*/, void* user) {
  auto* self = static_cast<ReadingController*>(user);
  QMetaObject::invokeMethod(
      self, [self, event] { self->OnError(event); }, Qt::QueuedConnection);
}

void ReadingController::ShowPause(bool shown) {
  if (shown == pause_shown_) return;
  pause_shown_ = shown;
  emit pauseShownChanged(shown);
}

void ReadingController::SetState(State state) {
  if (state == state_) return;
  state_ = state;
  emit stateChanged(state);
}

bool ReadingController::StartReading(const ReadingInputs& in) {
  if (in.text.isEmpty()) {
    message(QStringLiteral("请输入合成内容"));
    return false;
  }
  const Range range = ChooseRange(static_cast<int>(in.text.size()), in.selection_start, in.selection_end);
  const QByteArray utf8 = in.text.mid(range.start, range.end - range.start).toUtf8();
  size_t leading = 0;
  const std::string text = TrimBlanks(utf8.toStdString(), &leading);
  if (text.empty()) {
    message(QStringLiteral("未输入合成内容或光标指定合成内容为空"));
    return false;
  }
  range_utf8_ = utf8;
  trimmed_bytes_ = static_cast<int>(leading);
  range_start_ = range.start;
  repeat_ = in.repeat;
  began_ = false;
  SetState(kPlaying);
  char config[1024];
  std::snprintf(config, sizeof config, "capKey=%s,audioFormat=pcm16k16bit,Volume=%d,Pitch=%d,Speed=%d",
                in.capkey.c_str(), in.volume, in.pitch, in.speed);
  ShowPause(true);
  if (start_player(text, config) != 0) {
    message(QStringLiteral("语音合成播放失败"));
    ShowPause(false);
    SetState(kIdle);
    return false;
  }
  return true;
}

void ReadingController::Play() {
  const ReadingInputs in = inputs();
  if (in.capkey.empty()) {
    message(QStringLiteral("请设置音库参数"));
    return;
  }
  if (in.repeat) {
    for (QChar c : in.interval) {
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
        message(QStringLiteral("播放间隔无效"));
        return;
      }
    }
    // More digits than an int holds make no sensible wait either.
    bool ok = true;
    interval_ = in.interval.isEmpty() ? 0 : in.interval.toInt(&ok);
    if (!ok || interval_ > 86400) {
      message(QStringLiteral("播放间隔无效"));
      return;
    }
  }
  repeat_ = in.repeat;
  if (state_ == kIdle) {
    if (wait_ticks_ < 0) {
      StartReading(in);
    } else {
      repeat_timer_.start();
      ShowPause(true);
    }
  } else if (state_ == kPaused) {
    SetState(kPlaying);
    kvo_tts_player_resume();
    ShowPause(true);
  }
}

void ReadingController::Pause() {
  if (wait_ticks_ >= 0) repeat_timer_.stop();
  if (state_ == kPlaying) {
    SetState(kPaused);
    kvo_tts_player_pause();
  }
  ShowPause(false);
}

void ReadingController::Stop() {
  if (wait_ticks_ < 0) {
    if (state_ == kPlaying || state_ == kPaused) {
      stop_mark_ = true;
      SetState(kStopping);
      kvo_tts_player_stop();
    }
    SetState(kIdle);
  } else {
    repeat_timer_.stop();
    wait_ticks_ = -1;
  }
  ShowPause(false);
}

void ReadingController::OnBegin() { began_ = true; }

void ReadingController::OnEnd() {
  began_ = false;
  emit sounding(0, 0);
  // A stop of this reading is over; a later start may already be running.
  if (state_ == kPlaying || state_ == kPaused || state_ == kStopping) SetState(kIdle);
  if (!repeat_ || stop_mark_) {
    stop_mark_ = false;
    if (!repeat_) ShowPause(false);
    return;
  }
  wait_ticks_ = interval_ * 5;
  repeat_timer_.start();
}

void ReadingController::OnProgress(int begin, int end) {
  if (state_ == kIdle || begin < 0 || end < begin || end > range_utf8_.size() - trimmed_bytes_) return;
  if (begin == 0 && end == 0) {
    emit sounding(0, 0);
    return;
  }
  const int from = range_start_ + static_cast<int>(QString::fromUtf8(range_utf8_.left(trimmed_bytes_ + begin)).size());
  const int to = range_start_ + static_cast<int>(QString::fromUtf8(range_utf8_.left(trimmed_bytes_ + end)).size());
  emit sounding(from, to);
}

void ReadingController::OnError(int event) {
  // A reading that failed before its device opened gets no end event.
  const bool failed_at_start = !began_ && state_ != kIdle;
  if (event == PLAYER_EVENT_DEVICE_ERROR)
    message(QStringLiteral("语音合成播放失败：无法打开声音设备"));
  else
    message(QStringLiteral("语音合成播放失败"));
  // No repetition after a failure: it would fail again.
  stop_mark_ = !failed_at_start;
  if (failed_at_start) {
    SetState(kIdle);
    ShowPause(false);
  }
}

void ReadingController::OnRepeatTick() {
  if (wait_ticks_ < 1) {
    repeat_timer_.stop();
    wait_ticks_ = -1;
    Play();
    if (state_ == kIdle && wait_ticks_ < 0) ShowPause(false);
  } else {
    --wait_ticks_;
  }
}

}  // namespace tamblor
