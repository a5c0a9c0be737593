// The reader's skin: buttons, slider and drop-down list drawn by the program
// itself, so they stay sharp at any screen scaling.
#ifndef TAMBLOR_SKIN_H
#define TAMBLOR_SKIN_H

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QWidget>

namespace tamblor {

namespace colours {
const QColor kKey(255, 0, 255);
const QColor kLabelBackground(124, 190, 239);
const QColor kMenuBackground(214, 235, 249);
const QColor kChildBackground(196, 230, 255);
const QColor kTextNormal(86, 102, 171);
const QColor kTextHover(255, 128, 64);
const QColor kTextDisabled(128, 128, 128);
const QColor kCaption(46, 112, 184);
}  // namespace colours

enum class Glyph {
  kNone,
  kPlay,
  kPause,
  kStop,
  kOpen,
  kSaveWav,
  kReset,
  kText,
  kPlaySet,
  kVoiceSet,
  kHelp,
  kWeb,
  kClose,
  kMinimise,
  kMaximise,
  kLogo
};

// Draws one of the skin's pictures into `box`.
void DrawGlyph(QPainter* painter, Glyph glyph, const QRectF& box, const QColor& colour);

// A button drawn as a rounded plate with a picture and an optional text;
// the text changes colour while the pointer is over it.
class SkinButton : public QAbstractButton {
  Q_OBJECT
 public:
  SkinButton(Glyph glyph, const QString& text, QWidget* parent = nullptr);
  void setFlat(bool flat) { flat_ = flat; }
  bool hovered() const { return hovered_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  Glyph glyph_;
  bool hovered_ = false;
  bool flat_ = false;
};

// A slider over a small range (0 to 9 in the reader). The mouse grabs the
// thumb or moves it to the pointer; keys: Page Up/Down by the page size,
// Home/End, arrows by one. moving() while dragged, changed() when set.
class SkinSlider : public QWidget {
  Q_OBJECT
 public:
  explicit SkinSlider(QWidget* parent = nullptr);
  void setRange(int minimum, int maximum);
  void setPageSize(int page) { page_ = page; }
  int value() const { return value_; }
  void setValue(int value);  // no signal
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  QSize sizeHint() const override { return QSize(160, 24); }
  // Position for a pointer at x: truncated towards zero, clamped to the range.
  int PositionAt(int x) const;

 signals:
  void moving(int value);
  void changed(int value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int ThumbCentre() const;
  int minimum_ = 0;
  int maximum_ = 100;
  int value_ = 0;
  int page_ = 20;
  bool grabbed_ = false;
  int grab_offset_ = 0;
  static constexpr int kThumb = 14;
};

// A drop-down list with a drawn frame and arrow.
class SkinCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit SkinCombo(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tamblor

#endif
