// The reading machine of the main window: play, pause, resume, stop and
// repeat through the player, apart from the widgets that show it.
#ifndef TAMBLOR_READING_CONTROLLER_H
#define TAMBLOR_READING_CONTROLLER_H

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>

namespace tamblor {

// What a play reads from the window each time it starts (a repetition reads
// them again).
struct ReadingInputs {
  QString text;
  int selection_start = 0;
  int selection_end = 0;
  bool repeat = true;  // play mode: repeat, or once
  QString interval;    // seconds between repetitions, digits only
  std::string capkey;  // empty when no voice is selected
  int volume = 5;
  int pitch = 5;
  int speed = 5;
};

class ReadingController : public QObject {
  Q_OBJECT

 public:
  enum State { kIdle = 0, kPlaying = 1, kPaused = 2, kStopping = 3 };

  explicit ReadingController(QObject* parent = nullptr);
  ~ReadingController() override;

  std::function<ReadingInputs()> inputs;
  std::function<void(const QString&)> message;
  // The player's start; tests put a recorder in front of it.
  std::function<int(const std::string& text, const std::string& config)> start_player;

  // Hands the player's events to this object on its thread. The player must
  // be released before this object is destroyed.
  static void OnPlayerState(int event, void* user);
  static void OnPlayerProgress(int event, int begin, int end, void* user);
  static void OnPlayerError(int event, int code, void* user);

  void Play();
  void Pause();
  void Stop();

  State state() const { return state_; }
  int wait_ticks() const { return wait_ticks_; }
  bool pause_shown() const { return pause_shown_; }

 signals:
  // Pause is shown in place of play while a reading or a repeat wait runs.
  void pauseShownChanged(bool shown);
  // The characters [start, end) of the text box are being heard; (0, 0) none.
  void sounding(int start, int end);
  void stateChanged(int state);

 private:
  void ShowPause(bool shown);
  void SetState(State state);
  void OnBegin();
  void OnEnd();
  void OnProgress(int begin, int end);
  void OnError(int event);
  void OnRepeatTick();
  bool StartReading(const ReadingInputs& in);

  State state_ = kIdle;
  bool repeat_ = true;
  int interval_ = 0;
  int wait_ticks_ = -1;
  bool stop_mark_ = false;
  bool began_ = false;
  bool pause_shown_ = false;
  QTimer repeat_timer_;
  // The reading in progress: its UTF-8 text before trimming, the bytes cut
  // at its front and its first character in the text box.
  QByteArray range_utf8_;
  int trimmed_bytes_ = 0;
  int range_start_ = 0;
};

}  // namespace tamblor

#endif
