#include "skin.h"

#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace tamblor {

void DrawGlyph(QPainter* p, Glyph glyph, const QRectF& box, const QColor& colour) {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  const qreal s = std::min(box.width(), box.height());
  const QRectF r(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
  const qreal u = s / 16.0;  // pictures are drawn on a 16 × 16 grid
  auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * u, r.top() + y * u); };
  QPen pen(colour, 1.6 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p->setPen(pen);
  p->setBrush(Qt::NoBrush);
  switch (glyph) {
    case Glyph::kNone:
      break;
    case Glyph::kPlay: {
      QPainterPath path;
      path.moveTo(at(4, 2.5));
      path.lineTo(at(13.5, 8));
      path.lineTo(at(4, 13.5));
      path.closeSubpath();
      p->fillPath(path, colour);
      break;
    }
    case Glyph::kPause:
      p->fillRect(QRectF(at(3.5, 2.5), at(6.8, 13.5)), colour);
      p->fillRect(QRectF(at(9.2, 2.5), at(12.5, 13.5)), colour);
      break;
    case Glyph::kStop:
      p->fillRect(QRectF(at(3, 3), at(13, 13)), colour);
      break;
    case Glyph::kOpen: {
      QPainterPath path;
      path.moveTo(at(1.5, 4));
      path.lineTo(at(6, 4));
      path.lineTo(at(7.5, 5.5));
      path.lineTo(at(13.5, 5.5));
      path.lineTo(at(13.5, 13));
      path.lineTo(at(1.5, 13));
      path.closeSubpath();
      p->drawPath(path);
      p->drawLine(at(1.5, 8), at(13.5, 8));
      break;
    }
    case Glyph::kSaveWav: {
      p->drawRoundedRect(QRectF(at(2, 2), at(14, 14)), 1.5 * u, 1.5 * u);
      // A sound wave on the disk.
      QPainterPath wave;
      wave.moveTo(at(4, 9));
      wave.lineTo(at(5.5, 6));
      wave.lineTo(at(7, 12));
      wave.lineTo(at(8.5, 5));
      wave.lineTo(at(10, 11));
      wave.lineTo(at(12, 9));
      p->drawPath(wave);
      break;
    }
    case Glyph::kReset:
      p->drawArc(QRectF(at(3, 3), at(13, 13)), 60 * 16, 290 * 16);
      p->drawLine(at(11.5, 2.2), at(11.6, 5.6));
      p->drawLine(at(11.6, 5.6), at(8.3, 5.2));
      break;
    case Glyph::kText:
      for (int i = 0; i < 4; ++i) p->drawLine(at(2.5, 3.5 + 3 * i), at(i == 3 ? 9 : 13.5, 3.5 + 3 * i));
      break;
    case Glyph::kPlaySet:
      p->drawEllipse(QRectF(at(1.5, 1.5), at(14.5, 14.5)));
      {
        QPainterPath path;
        path.moveTo(at(6.2, 4.8));
        path.lineTo(at(11.4, 8));
        path.lineTo(at(6.2, 11.2));
        path.closeSubpath();
        p->fillPath(path, colour);
      }
      break;
    case Glyph::kVoiceSet:
      for (int i = 0; i < 3; ++i) {
        const qreal x = 3.5 + 4.5 * i;
        p->drawLine(at(x, 2), at(x, 14));
        p->setBrush(colour);
        p->drawEllipse(at(x, i == 1 ? 10 : 5.5), 1.6 * u, 1.6 * u);
        p->setBrush(Qt::NoBrush);
      }
      break;
    case Glyph::kHelp: {
      p->drawEllipse(QRectF(at(1.5, 1.5), at(14.5, 14.5)));
      QPainterPath path;
      path.moveTo(at(5.8, 6.2));
      path.cubicTo(at(5.8, 3.4), at(10.4, 3.4), at(10.4, 6.2));
      path.cubicTo(at(10.4, 8), at(8, 8), at(8, 10));
      p->drawPath(path);
      p->setBrush(colour);
      p->drawEllipse(at(8, 12.3), 0.6 * u, 0.6 * u);
      break;
    }
    case Glyph::kWeb:
      p->drawEllipse(QRectF(at(1.5, 1.5), at(14.5, 14.5)));
      p->drawEllipse(QRectF(at(5, 1.5), at(11, 14.5)));
      p->drawLine(at(1.5, 8), at(14.5, 8));
      break;
    case Glyph::kClose:
      p->drawLine(at(4, 4), at(12, 12));
      p->drawLine(at(12, 4), at(4, 12));
      break;
    case Glyph::kMinimise:
      p->drawLine(at(4, 11), at(12, 11));
      break;
    case Glyph::kMaximise:
      p->drawRect(QRectF(at(4, 4), at(12, 12)));
      break;
    case Glyph::kLogo: {
      // A speech bubble with three sound bars.
      QPainterPath bubble;
      bubble.addRoundedRect(QRectF(at(1, 1.5), at(15, 11.5)), 2.5 * u, 2.5 * u);
      QPainterPath tail;
      tail.moveTo(at(4, 11));
      tail.lineTo(at(3.5, 15));
      tail.lineTo(at(8, 11));
      tail.closeSubpath();
      p->fillPath(bubble.united(tail), colour);
      QPen bars(Qt::white, 1.6 * u, Qt::SolidLine, Qt::RoundCap);
      p->setPen(bars);
      p->drawLine(at(5, 5.5), at(5, 7.5));
      p->drawLine(at(8, 4), at(8, 9));
      p->drawLine(at(11, 5), at(11, 8));
      break;
    }
  }
  p->restore();
}

SkinButton::SkinButton(Glyph glyph, const QString& text, QWidget* parent) : QAbstractButton(parent), glyph_(glyph) {
  setText(text);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
}

QSize SkinButton::sizeHint() const {
  const int text_width = text().isEmpty() ? 0 : fontMetrics().horizontalAdvance(text()) + 8;
  return QSize(text_width + (glyph_ == Glyph::kNone ? 16 : 34), 30);
}

void SkinButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void SkinButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void SkinButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const QColor text_colour =
      !isEnabled() ? colours::kTextDisabled : (hovered_ || isDown() ? colours::kTextHover : colours::kTextNormal);
  if (!flat_) {
    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    fill.setColorAt(0, isDown() ? QColor(200, 225, 248) : QColor(255, 255, 255));
    fill.setColorAt(1, isDown() ? QColor(236, 245, 253) : QColor(206, 229, 250));
    p.setPen(QPen(hovered_ ? colours::kTextHover : QColor(120, 160, 210), 1));
    p.setBrush(fill);
    p.drawRoundedRect(frame, 6, 6);
  } else if (hovered_) {
    p.fillRect(rect(), QColor(255, 255, 255, 60));
  }
  const int shift = isDown() ? 2 : (hovered_ ? 1 : 0);
  QRectF area = QRectF(rect()).translated(shift, shift);
  if (glyph_ != Glyph::kNone) {
    const qreal g = std::min<qreal>(18, height() - 10);
    const QRectF glyph_box(text().isEmpty() ? area.center().x() - g / 2 : area.left() + 9, area.center().y() - g / 2, g,
                           g);
    DrawGlyph(&p, glyph_, glyph_box, flat_ ? QColor(Qt::white) : text_colour);
    area.setLeft(glyph_box.right() + 4);
  }
  if (!text().isEmpty()) {
    const Qt::Alignment align = glyph_ == Glyph::kNone ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
    p.setPen(Qt::white);
    p.drawText(area.translated(1, 1), align, text());
    p.setPen(text_colour);
    p.drawText(area, align, text());
  }
  if (hasFocus()) {
    p.setPen(QPen(colours::kTextNormal, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(frame.adjusted(2, 2, -2, -2), 4, 4);
  }
}

SkinSlider::SkinSlider(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumHeight(22);
}

void SkinSlider::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  value_ = std::clamp(value_, minimum_, maximum_);
  update();
}

void SkinSlider::setValue(int value) {
  value_ = std::clamp(value, minimum_, maximum_);
  update();
}

int SkinSlider::PositionAt(int x) const {
  const int span = width() - kThumb;
  if (span <= 0 || maximum_ == minimum_) return minimum_;
  const long long pos = minimum_ + static_cast<long long>(x - kThumb / 2) * (maximum_ - minimum_) / span;
  return static_cast<int>(std::clamp<long long>(pos, minimum_, maximum_));
}

int SkinSlider::ThumbCentre() const {
  const int span = width() - kThumb;
  if (maximum_ == minimum_) return kThumb / 2;
  return kThumb / 2 + (value_ - minimum_) * span / (maximum_ - minimum_);
}

void SkinSlider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal mid = height() / 2.0;
  const QRectF channel(kThumb / 2.0, mid - 3, width() - kThumb, 6);
  p.setPen(QPen(QColor(100, 140, 190), 1));
  p.setBrush(QColor(235, 243, 252));
  p.drawRoundedRect(channel, 3, 3);
  const int centre = ThumbCentre();
  QRectF filled = channel;
  filled.setRight(centre);
  p.setPen(Qt::NoPen);
  p.setBrush(isEnabled() ? QColor(70, 150, 225) : colours::kTextDisabled);
  p.drawRoundedRect(filled, 3, 3);
  const QRectF thumb(centre - kThumb / 2.0 + 0.5, mid - kThumb / 2.0 + 0.5, kThumb - 1, kThumb - 1);
  QRadialGradient knob(thumb.center() - QPointF(2, 2), kThumb);
  knob.setColorAt(0, Qt::white);
  knob.setColorAt(1, QColor(150, 195, 240));
  p.setPen(QPen(hasFocus() ? colours::kTextHover : QColor(60, 110, 170), 1.2));
  p.setBrush(knob);
  p.drawEllipse(thumb);
}

void SkinSlider::mousePressEvent(QMouseEvent* event) {
  if (!isEnabled() || event->button() != Qt::LeftButton) return;
  const int x = static_cast<int>(event->position().x());
  const int centre = ThumbCentre();
  grab_offset_ = std::abs(x - centre) <= kThumb / 2 ? x - centre : 0;
  grabbed_ = true;
  setFocus();
  mouseMoveEvent(event);
}

void SkinSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!grabbed_) return;
  const int pos = PositionAt(static_cast<int>(event->position().x()) - grab_offset_);
  if (pos != value_) {
    value_ = pos;
    update();
    emit moving(value_);
  }
}

void SkinSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (!grabbed_ || event->button() != Qt::LeftButton) return;
  grabbed_ = false;
  emit changed(value_);
}

void SkinSlider::keyPressEvent(QKeyEvent* event) {
  if (!isEnabled()) return;
  int pos = value_;
  switch (event->key()) {
    case Qt::Key_PageUp:
      pos -= page_;
      break;
    case Qt::Key_PageDown:
      pos += page_;
      break;
    case Qt::Key_End:
      pos = maximum_;
      break;
    case Qt::Key_Home:
      pos = minimum_;
      break;
    case Qt::Key_Right:
    case Qt::Key_Down:
      pos += 1;
      break;
    case Qt::Key_Left:
    case Qt::Key_Up:
      pos -= 1;
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  value_ = std::clamp(pos, minimum_, maximum_);
  update();
  emit changed(value_);
}

SkinCombo::SkinCombo(QWidget* parent) : QComboBox(parent) {
  setView(new QListView(this));
  setStyleSheet(
      QStringLiteral("QListView { background: #d6ebf9; border: 1px solid #6a9fd4; }"
                     "QListView::item:selected { background: #7cbeef; color: white; }"));
  setMinimumHeight(26);
}

void SkinCombo::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(hasFocus() ? colours::kTextHover : QColor(106, 159, 212), 1));
  p.setBrush(isEnabled() ? QColor(Qt::white) : QColor(235, 235, 235));
  p.drawRoundedRect(frame, 4, 4);
  const qreal arrow_w = height();
  QRectF arrow(frame.right() - arrow_w, frame.top(), arrow_w, frame.height());
  QLinearGradient fill(arrow.topLeft(), arrow.bottomLeft());
  fill.setColorAt(0, QColor(150, 200, 245));
  fill.setColorAt(1, QColor(80, 150, 220));
  QPainterPath clip;
  clip.addRoundedRect(frame, 4, 4);
  p.save();
  p.setClipPath(clip);
  p.fillRect(arrow, fill);
  p.restore();
  QPainterPath tri;
  const QPointF c = arrow.center();
  tri.moveTo(c + QPointF(-4.5, -2));
  tri.lineTo(c + QPointF(4.5, -2));
  tri.lineTo(c + QPointF(0, 3));
  tri.closeSubpath();
  p.fillPath(tri, Qt::white);
  p.setPen(isEnabled() ? QColor(30, 30, 30) : colours::kTextDisabled);
  p.drawText(frame.adjusted(8, 0, -arrow_w - 4, 0), Qt::AlignLeft | Qt::AlignVCenter,
             fontMetrics().elidedText(currentText(), Qt::ElideRight, static_cast<int>(frame.width() - arrow_w - 12)));
}

}  // namespace tamblor
