// The reader's main window: text box, voice lists, prosody sliders, reading
// and export commands, drawn with the program's own skin.
#ifndef TAMBLOR_MAIN_WINDOW_H
#define TAMBLOR_MAIN_WINDOW_H

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>
#include <atomic>
#include <functional>

#include "dialogs.h"
#include "voice_catalogue.h"

class QLabel;
class QMenu;
class QProgressBar;
class QThread;

namespace tamblor {

class ReadingController;
class SkinButton;
class SkinCombo;
class SkinSlider;

struct ReaderOptions {
  QString data_dir;      // empty: the installed data folder
  QString history_path;  // the text of the previous session
  QString log_dir;       // the system library's log files
};

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  enum class InitStatus { kNotRun, kReady, kSysFailed, kPlayerFailed, kNoVoices };

  explicit MainWindow(const ReaderOptions& options, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Message boxes and file dialogs; tests put their own in.
  std::function<void(const QString&)> show_message;
  std::function<QString()> ask_open_path;
  std::function<QString()> ask_text_save_path;
  std::function<QString()> ask_wav_path;

  // Starts the system library and the player and builds the voice lists;
  // runs once, after the window is shown.
  void InitialiseSdk();
  InitStatus init_status() const { return init_status_; }
  // Stops what runs, keeps the text for the next session and releases the
  // SDK. Runs once; closing the window calls it.
  void Shutdown();

  void Play();
  void Pause();
  void Stop();
  void OpenTextFile();
  void SaveTextFile();
  void ExportWav();
  void CancelExport();
  bool export_running() const { return export_thread_ != nullptr; }
  void ResetProsody();
  void ShowSettings();
  void ApplySettings(const ReaderSettings& settings);
  ReaderSettings settings() const;

  ReadingController* controller() const { return controller_; }
  QPlainTextEdit* text_box() const { return text_; }
  SkinCombo* language_list() const { return language_; }
  SkinCombo* speaker_list() const { return speaker_; }
  SkinCombo* play_mode_list() const { return play_mode_; }
  QLineEdit* interval_box() const { return interval_; }
  SkinSlider* prosody_slider(int i) const { return sliders_[i]; }
  SkinButton* play_button() const { return play_; }
  SkinButton* pause_button() const { return pause_; }
  const VoiceCatalogue& catalogue() const { return catalogue_; }

 signals:
  void exportFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QWidget* BuildControls();
  QMenu* MakeMenu();
  void PlaceCaptionButtons();
  void ToggleMaximised();
  void FillLanguages();
  void FillSpeakers();
  void ReadSliders();
  void ShowSounding(int start, int end);
  void ShowAbout();
  void ShowHelp();
  void OpenWebSite();
  void OnExportDone(int result);
  void LoadHistory();

  ReaderOptions options_;
  InitStatus init_status_ = InitStatus::kNotRun;
  bool sys_started_ = false;
  bool player_started_ = false;
  bool shut_down_ = false;
  VoiceCatalogue catalogue_;
  ReadingController* controller_ = nullptr;
  int volume_ = 5, pitch_ = 5, speed_ = 5;
  bool highlight_ = true;

  QPlainTextEdit* text_ = nullptr;
  SkinCombo* language_ = nullptr;
  SkinCombo* speaker_ = nullptr;
  SkinCombo* play_mode_ = nullptr;
  QLineEdit* interval_ = nullptr;
  SkinSlider* sliders_[3] = {};
  QLabel* slider_values_[3] = {};
  SkinButton* play_ = nullptr;
  SkinButton* pause_ = nullptr;
  SkinButton* export_button_ = nullptr;
  SkinButton* caption_buttons_[3] = {};  // close, maximise, minimise
  QProgressBar* export_progress_ = nullptr;
  SkinButton* export_cancel_ = nullptr;
  QLabel* status_ = nullptr;

  QThread* export_thread_ = nullptr;
  std::atomic<bool> export_cancel_flag_{false};
  std::atomic<size_t> export_text_done_{0};
  size_t export_text_size_ = 0;
};

}  // namespace tamblor

#endif
