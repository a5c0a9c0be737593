// The small windows around the main window: prosody settings and About.
#ifndef TAMBLOR_DIALOGS_H
#define TAMBLOR_DIALOGS_H

#include <QDialog>

class QCheckBox;
class QLabel;

namespace tamblor {

class SkinButton;
class SkinSlider;

struct ReaderSettings {
  int volume = 5;
  int pitch = 5;
  int speed = 5;
  bool highlight = true;  // mark the sentence being read in the text box
};

// "参数设置": volume, pitch and speed (0 to 9) and the highlighting. The
// values chosen with "设置" are the ones the next reading uses.
class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  SettingsDialog(const ReaderSettings& settings, QWidget* parent = nullptr);
  ReaderSettings values() const;
  SkinSlider* slider(int i) const { return sliders_[i]; }
  QLabel* value_label(int i) const { return labels_[i]; }
  SkinButton* confirm_button() const { return confirm_; }
  QCheckBox* highlight_box() const { return highlight_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void UpdateLabels();
  SkinSlider* sliders_[3] = {};
  QLabel* labels_[3] = {};
  QCheckBox* highlight_ = nullptr;
  SkinButton* confirm_ = nullptr;
};

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tamblor

#endif
