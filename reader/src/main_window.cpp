#include "main_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "kvo_sys.h"
#include "kvo_tts_player.h"
#include "reading_controller.h"
#include "reading_range.h"
#include "skin.h"
#include "text_file.h"
#include "wav_export.h"

namespace tamblor {
namespace {

constexpr int kCaptionHeight = 28;
constexpr int kCornerRadius = 10;
const char kWebSite[] = "https://kvo-tts.example.org/tamblor";

QLabel* FieldLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setStyleSheet(
      QStringLiteral("QLabel { background: rgb(124,190,239); color: white; padding: 2px 6px;"
                     " border-radius: 3px; }"));
  return label;
}

}  // namespace

MainWindow::MainWindow(const ReaderOptions& options, QWidget* parent) : QWidget(parent), options_(options) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowTitle(QStringLiteral("Tamblor"));
  setAttribute(Qt::WA_TranslucentBackground, false);
  resize(960, 720);
  setMinimumSize(720, 520);

  controller_ = new ReadingController(this);
  controller_->message = [this](const QString& text) { show_message(text); };
  controller_->inputs = [this] {
    ReadingInputs in;
    in.text = text_->toPlainText();
    const QTextCursor cursor = text_->textCursor();
    in.selection_start = cursor.selectionStart();
    in.selection_end = cursor.selectionEnd();
    in.repeat = play_mode_->currentIndex() == 0;
    in.interval = interval_->text();
    if (const Voice* v = catalogue_.current()) in.capkey = v->capkey;
    in.volume = volume_;
    in.pitch = pitch_;
    in.speed = speed_;
    return in;
  };
  show_message = [this](const QString& text) { QMessageBox::information(this, QStringLiteral("Tamblor"), text); };
  ask_open_path = [this] {
    return QFileDialog::getOpenFileName(this, QString(), QString(),
                                        QStringLiteral("Text File(*.txt);;Pt File(*.pt);;All Files(*)"));
  };
  ask_text_save_path = [this] {
    const QString proposed = QDir(QDir::currentPath()).filePath(QStringLiteral("PreText/File.txt"));
    return QFileDialog::getSaveFileName(this, QString(), proposed,
                                        QStringLiteral("TEXT Files (*.txt);;Pt Files (*.pt);;All Files (*)"));
  };
  ask_wav_path = [this] {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setNameFilter(QStringLiteral("WAV Files (*.wav)"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
  };

  for (int i = 0; i < 3; ++i) {
    static const Glyph glyphs[3] = {Glyph::kClose, Glyph::kMaximise, Glyph::kMinimise};
    caption_buttons_[i] = new SkinButton(glyphs[i], QString(), this);
    caption_buttons_[i]->setFlat(true);
    caption_buttons_[i]->setFixedSize(18, 18);
    caption_buttons_[i]->setFocusPolicy(Qt::NoFocus);
  }
  caption_buttons_[0]->setToolTip(QStringLiteral("关闭"));
  caption_buttons_[1]->setToolTip(QStringLiteral("最大化"));
  caption_buttons_[2]->setToolTip(QStringLiteral("最小化"));
  connect(caption_buttons_[0], &QAbstractButton::clicked, this, &QWidget::close);
  connect(caption_buttons_[1], &QAbstractButton::clicked, this, &MainWindow::ToggleMaximised);
  connect(caption_buttons_[2], &QAbstractButton::clicked, this, &QWidget::showMinimized);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, kCaptionHeight + 12, 12, 12);
  layout->addWidget(BuildControls());

  connect(controller_, &ReadingController::pauseShownChanged, this, [this](bool shown) {
    play_->setVisible(!shown);
    pause_->setVisible(shown);
  });
  connect(controller_, &ReadingController::sounding, this, &MainWindow::ShowSounding);
  LoadHistory();
}

MainWindow::~MainWindow() { Shutdown(); }

QWidget* MainWindow::BuildControls() {
  auto* body = new QWidget(this);
  auto* outer = new QVBoxLayout(body);
  outer->setContentsMargins(0, 0, 0, 0);

  // Tool buttons with their menus.
  auto* tools = new QHBoxLayout;
  auto add_tool = [&](Glyph glyph, const QString& text) {
    auto* b = new SkinButton(glyph, text, body);
    tools->addWidget(b);
    return b;
  };
  auto popup = [](SkinButton* button, QMenu* menu) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [button, menu] { menu->popup(button->mapToGlobal(QPoint(0, button->height()))); });
  };
  QMenu* text_menu = MakeMenu();
  connect(text_menu->addAction(QStringLiteral("打开文件")), &QAction::triggered, this, &MainWindow::OpenTextFile);
  connect(text_menu->addAction(QStringLiteral("保存文件")), &QAction::triggered, this, &MainWindow::SaveTextFile);
  popup(add_tool(Glyph::kText, QStringLiteral("文本")), text_menu);

  QMenu* play_menu = MakeMenu();
  QAction* play_item = play_menu->addAction(QStringLiteral("播放    "));
  QAction* pause_item = play_menu->addAction(QStringLiteral("暂停"));
  QAction* stop_item = play_menu->addAction(QStringLiteral("停止"));
  QAction* export_item = play_menu->addAction(QStringLiteral("合成文件"));
  connect(play_item, &QAction::triggered, this, &MainWindow::Play);
  connect(pause_item, &QAction::triggered, this, &MainWindow::Pause);
  connect(stop_item, &QAction::triggered, this, &MainWindow::Stop);
  connect(export_item, &QAction::triggered, this, &MainWindow::ExportWav);
  connect(play_menu, &QMenu::aboutToShow, this, [this, play_item, pause_item, stop_item, export_item] {
    const int state = controller_->state();
    play_item->setEnabled(state != ReadingController::kPlaying);
    pause_item->setEnabled(state == ReadingController::kPlaying);
    stop_item->setEnabled(state != ReadingController::kIdle || controller_->wait_ticks() >= 0);
    export_item->setEnabled(!export_running());
  });
  popup(add_tool(Glyph::kPlaySet, QStringLiteral("播放")), play_menu);

  QMenu* voice_menu = MakeMenu();
  for (const char* item : {"音量", "音高", "语速"})
    connect(voice_menu->addAction(QString::fromUtf8(item)), &QAction::triggered, this, &MainWindow::ShowSettings);
  popup(add_tool(Glyph::kVoiceSet, QStringLiteral("声音")), voice_menu);

  QMenu* help_menu = MakeMenu();
  connect(help_menu->addAction(QStringLiteral("关于    ")), &QAction::triggered, this, &MainWindow::ShowAbout);
  connect(help_menu->addAction(QStringLiteral("帮助")), &QAction::triggered, this, &MainWindow::ShowHelp);
  popup(add_tool(Glyph::kHelp, QStringLiteral("帮助")), help_menu);
  connect(add_tool(Glyph::kWeb, QStringLiteral("网站")), &QAbstractButton::clicked, this, &MainWindow::OpenWebSite);
  tools->addStretch();
  outer->addLayout(tools);

  auto* middle = new QHBoxLayout;
  text_ = new QPlainTextEdit(body);
  text_->setObjectName(QStringLiteral("text"));
  text_->setStyleSheet(
      QStringLiteral("QPlainTextEdit { background: white; border: 1px solid #6a9fd4;"
                     " border-radius: 4px; padding: 4px; }"));
  QFont text_font = text_->font();
  text_font.setPointSize(13);
  text_->setFont(text_font);
  middle->addWidget(text_, 1);

  // The panel of voice, prosody and play mode.
  auto* panel = new QWidget(body);
  panel->setFixedWidth(300);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(10, 0, 0, 0);
  grid->setVerticalSpacing(10);
  int row = 0;
  language_ = new SkinCombo(panel);
  speaker_ = new SkinCombo(panel);
  grid->addWidget(FieldLabel(QStringLiteral("语言："), panel), row, 0);
  grid->addWidget(language_, row++, 1, 1, 2);
  grid->addWidget(FieldLabel(QStringLiteral("发音人："), panel), row, 0);
  grid->addWidget(speaker_, row++, 1, 1, 2);
  connect(language_, &QComboBox::activated, this, [this](int index) {
    catalogue_.SelectLanguage(index);
    FillSpeakers();
  });
  connect(speaker_, &QComboBox::activated, this, [this](int index) { catalogue_.SelectSpeaker(index); });

  const QString names[3] = {QStringLiteral("音量："), QStringLiteral("音高："), QStringLiteral("语速：")};
  for (int i = 0; i < 3; ++i) {
    sliders_[i] = new SkinSlider(panel);
    sliders_[i]->setRange(0, 9);
    sliders_[i]->setPageSize(3);
    sliders_[i]->setValue(5);
    slider_values_[i] = new QLabel(QStringLiteral("5"), panel);
    slider_values_[i]->setFixedWidth(18);
    grid->addWidget(FieldLabel(names[i], panel), row, 0);
    grid->addWidget(sliders_[i], row, 1);
    grid->addWidget(slider_values_[i], row++, 2);
    connect(sliders_[i], &SkinSlider::moving, slider_values_[i],
            [label = slider_values_[i]](int v) { label->setText(QString::number(v)); });
    connect(sliders_[i], &SkinSlider::changed, this, &MainWindow::ReadSliders);
  }
  auto* reset = new SkinButton(Glyph::kReset, QStringLiteral("恢复默认"), panel);
  connect(reset, &QAbstractButton::clicked, this, &MainWindow::ResetProsody);
  grid->addWidget(reset, row++, 1, 1, 2, Qt::AlignLeft);

  play_mode_ = new SkinCombo(panel);
  play_mode_->addItem(QStringLiteral("循环播放"));
  play_mode_->addItem(QStringLiteral("单次播放"));
  play_mode_->setCurrentIndex(0);
  grid->addWidget(FieldLabel(QStringLiteral("播放模式："), panel), row, 0);
  grid->addWidget(play_mode_, row++, 1, 1, 2);
  interval_ = new QLineEdit(QStringLiteral("0"), panel);
  interval_->setMaxLength(5);
  auto* interval_row = new QHBoxLayout;
  interval_row->addWidget(interval_);
  interval_row->addWidget(new QLabel(QStringLiteral("秒"), panel));
  grid->addWidget(FieldLabel(QStringLiteral("播放间隔："), panel), row, 0);
  grid->addLayout(interval_row, row++, 1, 1, 2);
  grid->setRowStretch(row, 1);
  middle->addWidget(panel);
  outer->addLayout(middle, 1);

  // Reading and export commands.
  auto* commands = new QHBoxLayout;
  play_ = new SkinButton(Glyph::kPlay, QStringLiteral("播放"), body);
  pause_ = new SkinButton(Glyph::kPause, QStringLiteral("暂停"), body);
  pause_->hide();
  auto* stop = new SkinButton(Glyph::kStop, QStringLiteral("停止"), body);
  auto* open = new SkinButton(Glyph::kOpen, QStringLiteral("打开文本"), body);
  export_button_ = new SkinButton(Glyph::kSaveWav, QStringLiteral("合成文件"), body);
  connect(play_, &QAbstractButton::clicked, this, &MainWindow::Play);
  connect(pause_, &QAbstractButton::clicked, this, &MainWindow::Pause);
  connect(stop, &QAbstractButton::clicked, this, &MainWindow::Stop);
  connect(open, &QAbstractButton::clicked, this, &MainWindow::OpenTextFile);
  connect(export_button_, &QAbstractButton::clicked, this, &MainWindow::ExportWav);
  for (QWidget* w : {static_cast<QWidget*>(play_), static_cast<QWidget*>(pause_), static_cast<QWidget*>(stop)})
    commands->addWidget(w);
  commands->addSpacing(20);
  commands->addWidget(open);
  commands->addWidget(export_button_);
  export_progress_ = new QProgressBar(body);
  export_progress_->setRange(0, 1000);
  export_progress_->setTextVisible(false);
  export_progress_->setFixedWidth(180);
  export_progress_->hide();
  export_cancel_ = new SkinButton(Glyph::kNone, QStringLiteral("取消"), body);
  export_cancel_->hide();
  connect(export_cancel_, &QAbstractButton::clicked, this, &MainWindow::CancelExport);
  commands->addWidget(export_progress_);
  commands->addWidget(export_cancel_);
  commands->addStretch();
  status_ = new QLabel(body);
  commands->addWidget(status_);
  outer->addLayout(commands);
  return body;
}

QMenu* MainWindow::MakeMenu() {
  auto* menu = new QMenu(this);
  menu->setStyleSheet(
      QStringLiteral("QMenu { background: rgb(214,235,249); border: 1px solid #6a9fd4; }"
                     "QMenu::item { padding: 4px 24px; color: rgb(86,102,171); }"
                     "QMenu::item:selected { background: rgb(124,190,239); color: white; }"
                     "QMenu::item:disabled { color: gray; }"));
  return menu;
}

void MainWindow::LoadHistory() {
  if (options_.history_path.isEmpty() || !QFileInfo::exists(options_.history_path)) return;
  QString text;
  if (ReadTextFile(options_.history_path, &text) == TextFileStatus::kOk) text_->setPlainText(text);
}

void MainWindow::InitialiseSdk() {
  if (init_status_ != InitStatus::kNotRun) return;
  QString log_dir = options_.log_dir;
  if (log_dir.isEmpty()) log_dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  QDir().mkpath(log_dir);
  std::string config =
      "appkey=7c41b09e,developerKey=marlow_outlets,cloudUrl=http://127.0.0.1:8888/,"
      "logFileSize=1024,logLevel=5,logFilePath=" +
      QDir(log_dir).absolutePath().toStdString() + "/,logFileCount=10";
  if (!options_.data_dir.isEmpty()) config += ",dataPath=" + QDir(options_.data_dir).absolutePath().toStdString();
  if (kvo_init(config.c_str()) != 0) {
    init_status_ = InitStatus::kSysFailed;
    show_message(QStringLiteral("系统初始化失败"));
    return;
  }
  sys_started_ = true;
  std::string data = KVO_GetDataPath();
  if (data.size() > 1 && data.back() == '/') data.pop_back();
  const std::string player_config = "dataPath=" + data;
  PlayerCallbacks callbacks = {&ReadingController::OnPlayerState,    controller_,
                               &ReadingController::OnPlayerProgress, controller_,
                               &ReadingController::OnPlayerError,    controller_};
  if (kvo_tts_player_init(player_config.c_str(), &callbacks) != 0) {
    init_status_ = InitStatus::kPlayerFailed;
    show_message(QStringLiteral("语音合成播放器初始化失败"));
    return;
  }
  player_started_ = true;
  std::vector<Voice> voices;
  if (LoadVoices(&voices) != 0 || voices.empty()) {
    init_status_ = InitStatus::kNoVoices;
    show_message(QStringLiteral("获取可用能力信息失败"));
    return;
  }
  catalogue_.Build(std::move(voices));
  FillLanguages();
  init_status_ = InitStatus::kReady;
}

void MainWindow::FillLanguages() {
  language_->clear();
  for (const std::string& l : catalogue_.languages()) language_->addItem(QString::fromStdString(l));
  if (language_->count() > 0) language_->setCurrentIndex(catalogue_.language_index());
  FillSpeakers();
}

void MainWindow::FillSpeakers() {
  speaker_->clear();
  for (const std::string& s : catalogue_.speakers()) speaker_->addItem(QString::fromStdString(s));
  if (speaker_->count() > 0) speaker_->setCurrentIndex(std::max(0, catalogue_.speaker_index()));
}

void MainWindow::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  // The export's own session must be closed before the speech API goes.
  if (export_thread_ != nullptr) {
    export_cancel_flag_ = true;
    export_thread_->wait();
    delete export_thread_;
    export_thread_ = nullptr;
  }
  const QString text = text_->toPlainText();
  if (!text.isEmpty() && !options_.history_path.isEmpty()) {
    QDir().mkpath(QFileInfo(options_.history_path).absolutePath());
    WriteTextFile(options_.history_path, text);
  }
  if (player_started_) {
    // Releasing the player stops a reading in progress and waits for it.
    kvo_tts_player_release();
    player_started_ = false;
  }
  if (sys_started_) {
    kvo_release();
    sys_started_ = false;
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Shutdown();
  event->accept();
}

void MainWindow::Play() { controller_->Play(); }
void MainWindow::Pause() { controller_->Pause(); }
void MainWindow::Stop() { controller_->Stop(); }

void MainWindow::OpenTextFile() {
  const QString path = ask_open_path();
  if (path.isEmpty()) return;
  QString text;
  switch (ReadTextFile(path, &text)) {
    case TextFileStatus::kOk:
      text_->setPlainText(text);
      break;
    case TextFileStatus::kCannotOpen:
      show_message(QStringLiteral("无法打开文件"));
      break;
    case TextFileStatus::kTooLarge:
      show_message(QStringLiteral("文件太大，无法打开（最大 8 MB）"));
      break;
    case TextFileStatus::kUnknownEncoding:
      show_message(QStringLiteral("无法识别文件的编码，文件不是文本文件或编码不受支持"));
      break;
  }
}

void MainWindow::SaveTextFile() {
  const QString path = ask_text_save_path();
  if (path.isEmpty()) return;
  const QString text = text_->toPlainText();
  if (text.isEmpty()) return;
  if (!WriteTextFile(path, text)) show_message(QStringLiteral("请选择正确的文件路径"));
}

void MainWindow::ReadSliders() {
  int* values[3] = {&volume_, &pitch_, &speed_};
  for (int i = 0; i < 3; ++i) {
    *values[i] = sliders_[i]->value();
    slider_values_[i]->setText(QString::number(*values[i]));
  }
}

void MainWindow::ResetProsody() {
  for (SkinSlider* s : sliders_) s->setValue(5);
  ReadSliders();
}

ReaderSettings MainWindow::settings() const {
  ReaderSettings s;
  s.volume = volume_;
  s.pitch = pitch_;
  s.speed = speed_;
  s.highlight = highlight_;
  return s;
}

void MainWindow::ApplySettings(const ReaderSettings& s) {
  sliders_[0]->setValue(s.volume);
  sliders_[1]->setValue(s.pitch);
  sliders_[2]->setValue(s.speed);
  ReadSliders();
  highlight_ = s.highlight;
  if (!highlight_) ShowSounding(0, 0);
}

void MainWindow::ShowSettings() {
  SettingsDialog dialog(settings(), this);
  if (dialog.exec() == QDialog::Accepted) ApplySettings(dialog.values());
}

void MainWindow::ShowSounding(int start, int end) {
  QList<QTextEdit::ExtraSelection> marks;
  if (highlight_ && end > start) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(text_->document());
    mark.cursor.setPosition(start);
    mark.cursor.setPosition(end, QTextCursor::KeepAnchor);
    mark.format.setBackground(QColor(255, 226, 160));
    marks.append(mark);
  }
  text_->setExtraSelections(marks);
}

void MainWindow::ExportWav() {
  if (export_running()) return;
  const Voice* voice = catalogue_.current();
  if (voice == nullptr) {
    show_message(QStringLiteral("请设置音库参数"));
    return;
  }
  const QString all = text_->toPlainText();
  if (all.isEmpty()) {
    show_message(QStringLiteral("请输入合成内容"));
    return;
  }
  const QTextCursor cursor = text_->textCursor();
  const Range range = ChooseRange(static_cast<int>(all.size()), cursor.selectionStart(), cursor.selectionEnd());
  ExportRequest request;
  request.text = TrimBlanks(all.mid(range.start, range.end - range.start).toUtf8().toStdString(), nullptr);
  if (request.text.empty()) {
    show_message(QStringLiteral("未输入合成内容或光标指定合成内容为空"));
    return;
  }
  QString path = ask_wav_path();
  if (path.isEmpty()) return;
  request.path = QFile::encodeName(path).toStdString();
  request.capkey = voice->capkey;
  request.volume = volume_;
  request.pitch = pitch_;
  request.speed = speed_;

  export_cancel_flag_ = false;
  export_text_done_ = 0;
  export_text_size_ = request.text.size();
  export_progress_->setValue(0);
  export_progress_->show();
  export_cancel_->show();
  export_button_->setEnabled(false);
  status_->setText(QStringLiteral("正在合成文件…"));
  auto* poll = new QTimer(this);
  poll->setInterval(100);
  connect(poll, &QTimer::timeout, this, [this] {
    if (export_text_size_ > 0)
      export_progress_->setValue(static_cast<int>(1000 * export_text_done_.load() / export_text_size_));
  });
  poll->start();
  export_thread_ = QThread::create([this, request] {
    const ExportResult result =
        tamblor::ExportWav(request, export_cancel_flag_, [this](size_t done) { export_text_done_ = done; });
    QMetaObject::invokeMethod(
        this, [this, result] { OnExportDone(static_cast<int>(result)); }, Qt::QueuedConnection);
  });
  connect(export_thread_, &QThread::finished, poll, &QObject::deleteLater);
  export_thread_->start();
}

void MainWindow::CancelExport() { export_cancel_flag_ = true; }

void MainWindow::OnExportDone(int result) {
  if (export_thread_ == nullptr) return;
  export_thread_->wait();
  delete export_thread_;
  export_thread_ = nullptr;
  export_progress_->hide();
  export_cancel_->hide();
  export_button_->setEnabled(true);
  status_->clear();
  switch (static_cast<ExportResult>(result)) {
    case ExportResult::kOk:
      status_->setText(QStringLiteral("文件已保存"));
      break;
    case ExportResult::kCancelled:
      status_->setText(QStringLiteral("已取消"));
      break;
    case ExportResult::kSessionFailed:
      show_message(QStringLiteral("语音合成会话启动失败"));
      break;
    case ExportResult::kWriteFailed:
      show_message(QStringLiteral("输出文件写入失败"));
      break;
    case ExportResult::kSynthFailed:
      show_message(QStringLiteral("语音合成失败"));
      break;
  }
  emit exportFinished();
}

void MainWindow::ShowAbout() {
  AboutDialog dialog(this);
  dialog.exec();
}

void MainWindow::ShowHelp() {
  const QString app_dir = QCoreApplication::applicationDirPath();
  for (const QString& candidate : {app_dir + QStringLiteral("/../share/doc/tamblor/reader.md"),
                                   app_dir + QStringLiteral("/../../docs/reader.md")}) {
    if (QFileInfo::exists(candidate)) {
      QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(candidate).absoluteFilePath()));
      return;
    }
  }
  show_message(QStringLiteral("找不到帮助文件"));
}

void MainWindow::OpenWebSite() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebSite))); }

void MainWindow::PlaceCaptionButtons() {
  const int offsets[3] = {30, 50, 70};
  for (int i = 0; i < 3; ++i) caption_buttons_[i]->move(width() - offsets[i], 10 - 5);
}

void MainWindow::ToggleMaximised() {
  if (isMaximized())
    showNormal();
  else
    showMaximized();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  PlaceCaptionButtons();
  if (isMaximized()) {
    clearMask();
  } else {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
  }
  QWidget::resizeEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    caption_buttons_[1]->setToolTip(isMaximized() ? QStringLiteral("还原") : QStringLiteral("最大化"));
  }
  QWidget::changeEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (event->pos().y() >= kCaptionHeight + 8) return;
  // The caption's menu stands in for the system menu a framed window has.
  QMenu* menu = MakeMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  connect(menu->addAction(QStringLiteral("最小化")), &QAction::triggered, this, &QWidget::showMinimized);
  connect(menu->addAction(isMaximized() ? QStringLiteral("还原") : QStringLiteral("最大化")), &QAction::triggered, this,
          &MainWindow::ToggleMaximised);
  connect(menu->addAction(QStringLiteral("关闭")), &QAction::triggered, this, &QWidget::close);
  menu->addSeparator();
  connect(menu->addAction(QStringLiteral("&About Tamblor...")), &QAction::triggered, this, &MainWindow::ShowAbout);
  menu->popup(event->globalPos());
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && event->position().y() < kCaptionHeight + 8 && windowHandle() != nullptr)
    windowHandle()->startSystemMove();
  QWidget::mousePressEvent(event);
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && event->position().y() < kCaptionHeight + 8) ToggleMaximised();
  QWidget::mouseDoubleClickEvent(event);
}

void MainWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = isMaximized() ? 0 : kCornerRadius;
  QLinearGradient body(frame.topLeft(), frame.bottomLeft());
  body.setColorAt(0, QColor(226, 240, 252));
  body.setColorAt(1, QColor(196, 226, 250));
  QPainterPath shape;
  shape.addRoundedRect(frame, radius, radius);
  p.fillPath(shape, body);
  // Caption band.
  p.save();
  p.setClipPath(shape);
  QLinearGradient caption(0, 0, 0, kCaptionHeight + 8);
  caption.setColorAt(0, QColor(80, 150, 220));
  caption.setColorAt(1, colours::kCaption);
  p.fillRect(QRectF(0, 0, width(), kCaptionHeight + 8), caption);
  p.restore();
  DrawGlyph(&p, Glyph::kLogo, QRectF(12, 8, 20, 20), Qt::white);
  QFont title = font();
  title.setBold(true);
  title.setPointSize(11);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(40, 0, 300, kCaptionHeight + 8), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tamblor"));
  p.setPen(QPen(QColor(46, 100, 160), 1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(shape);
}

}  // namespace tamblor
