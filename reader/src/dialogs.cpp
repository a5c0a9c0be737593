#include "dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "skin.h"

namespace tamblor {

SettingsDialog::SettingsDialog(const ReaderSettings& settings, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("参数设置"));
  QFont f = font();
  f.setPixelSize(16);
  setFont(f);
  auto* grid = new QGridLayout;
  const QString names[3] = {QStringLiteral("音量"), QStringLiteral("音高"), QStringLiteral("语速")};
  const int values[3] = {settings.volume, settings.pitch, settings.speed};
  for (int i = 0; i < 3; ++i) {
    sliders_[i] = new SkinSlider(this);
    sliders_[i]->setRange(0, 9);
    sliders_[i]->setPageSize(3);
    sliders_[i]->setValue(values[i]);
    sliders_[i]->setMinimumWidth(220);
    labels_[i] = new QLabel(this);
    labels_[i]->setMinimumWidth(30);
    grid->addWidget(new QLabel(names[i], this), i, 0);
    grid->addWidget(sliders_[i], i, 1);
    grid->addWidget(labels_[i], i, 2);
    connect(sliders_[i], &SkinSlider::moving, this, &SettingsDialog::UpdateLabels);
    connect(sliders_[i], &SkinSlider::changed, this, &SettingsDialog::UpdateLabels);
  }
  highlight_ = new QCheckBox(QStringLiteral("朗读时突出显示当前句子"), this);
  highlight_->setChecked(settings.highlight);
  grid->addWidget(highlight_, 3, 0, 1, 3);
  confirm_ = new SkinButton(Glyph::kNone, QStringLiteral("设置"), this);
  auto* cancel = new SkinButton(Glyph::kNone, QStringLiteral("取消"), this);
  connect(confirm_, &QAbstractButton::clicked, this, &QDialog::accept);
  connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(confirm_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 16);
  layout->addLayout(grid);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  UpdateLabels();
}

ReaderSettings SettingsDialog::values() const {
  ReaderSettings s;
  s.volume = sliders_[0]->value();
  s.pitch = sliders_[1]->value();
  s.speed = sliders_[2]->value();
  s.highlight = highlight_->isChecked();
  return s;
}

void SettingsDialog::UpdateLabels() {
  labels_[0]->setText(QString::number(sliders_[0]->value()));
  // Pitch is shown around its middle: 5 is "0".
  labels_[1]->setText(QString::number(sliders_[1]->value() - 5));
  labels_[2]->setText(QString::number(sliders_[2]->value()));
}

void SettingsDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colours::kChildBackground);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("关于 Tamblor"));
  auto* picture = new QLabel(this);
  picture->setFixedSize(64, 64);
  picture->setObjectName(QStringLiteral("logo"));
  auto* text = new QLabel(QStringLiteral("Tamblor V1.0.0 版"), this);
  auto* ok = new SkinButton(Glyph::kNone, QStringLiteral("确定"), this);
  connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(picture);
  row->addSpacing(12);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 16);
  layout->addLayout(row);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

void AboutDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colours::kChildBackground);
  if (QWidget* logo = findChild<QWidget*>(QStringLiteral("logo")))
    DrawGlyph(&p, Glyph::kLogo, QRectF(logo->geometry()), colours::kCaption);
}

}  // namespace tamblor
