// tamblor: the desktop reader.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include "dialogs.h"
#include "main_window.h"
#include "single_instance.h"

namespace {

// Pictures of the windows for the documentation, then quit.
void SaveScreenshots(tamblor::MainWindow* window, const QString& folder) {
  QDir().mkpath(folder);
  window->text_box()->setPlainText(
      QStringLiteral("今天天气很好，我们一起去公园散步吧。\n公园里的花都开了，红的、黄的、紫的，美丽极了。\n"
                     "下午三点，我们在湖边的长椅上休息。"));
  window->grab().save(QDir(folder).filePath(QStringLiteral("reader-main.png")));
  tamblor::SettingsDialog settings(window->settings(), window);
  settings.show();
  settings.grab().save(QDir(folder).filePath(QStringLiteral("reader-settings.png")));
  tamblor::AboutDialog about(window);
  about.show();
  about.grab().save(QDir(folder).filePath(QStringLiteral("reader-about.png")));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tamblor"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tamblor"));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamblor/tamblor.png")));
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPointSize(10);
  QApplication::setFont(font);
  QTranslator qt_texts;
  if (qt_texts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt_texts);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Tamblor: reads texts aloud with the KVO voices."));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption data({QStringLiteral("d"), QStringLiteral("data")},
                          QStringLiteral("Data folder with the voice catalogue (default: the installed one)."),
                          QStringLiteral("DIR"));
  QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                 QStringLiteral("Save pictures of the windows into DIR and quit."),
                                 QStringLiteral("DIR"));
  parser.addOption(data);
  parser.addOption(screenshots);
  parser.process(app);

  tamblor::SingleInstance instance;
  if (!instance.Acquire()) {
    instance.RaiseRunning();
    QMessageBox::critical(nullptr, QStringLiteral("提示"), QStringLiteral("Tamblor已经运行！"));
    return 1;
  }

  tamblor::ReaderOptions options;
  options.data_dir = parser.value(data);
  options.history_path =
      QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("his_text.txt"));
  tamblor::MainWindow window(options);
  QObject::connect(&instance, &tamblor::SingleInstance::raiseRequested, &window, [&window] {
    if (window.isMinimized()) window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
  });
  window.show();
  // The SDK starts once the window is on the screen.
  QTimer::singleShot(1, &window, [&] {
    window.InitialiseSdk();
    if (parser.isSet(screenshots)) {
      SaveScreenshots(&window, parser.value(screenshots));
      QTimer::singleShot(0, &app, &QApplication::quit);
    }
  });
  const int status = app.exec();
  window.Shutdown();
  return status;
}
