// sorami: the desktop client. Options: --appdir DIR (application directory, holding Data and
// ATTACH), --config DIR (where the settings and the encryption key live) and
// --directory-host HOST[:PORT] (the directory server of the site service); --version and
// --help print without opening a window.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "AppInfo.h"
#include "base/ui/QtJapanese.h"
#include "platform/DataLock.h"
#include "shell/Startup.h"
#include "shell/TenpuFetch.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/SignalClose.h"
#include "shell/ui/TFormMain.h"

namespace {

constexpr const char* kUsage =
    "usage: sorami [--appdir DIR] [--config DIR] [--directory-host HOST[:PORT]]\n";

constexpr const char* kQtOptions = "Qt's own options (-style, -platform...) are accepted too.\n";

int Usage(const std::string& error) {
  std::fprintf(stderr, "sorami: %s\n%s", error.c_str(), kUsage);
  return 2;
}

bool Has(const std::vector<std::string>& args, const char* flag) {
  return std::find(args.begin(), args.end(), flag) != args.end();
}

}  // namespace

int main(int argc, char** argv) {
  // A malformed option, --help and --version are answered before any window system is needed.
  sorami::CommonOptions options;
  std::string error;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!sorami::TakeCommonOptions(args, options, error)) return Usage(error);
  if (Has(args, "--help") || Has(args, "-h")) {
    sorami::app::PrintVersion("sorami");
    std::printf("%s%s%s", kUsage, sorami::app::kOptionsHelp, kQtOptions);
    return 0;
  }
  if (Has(args, "--version")) {
    sorami::app::PrintVersion("sorami");
    return 0;
  }

  QApplication app(argc, argv);  // takes the options of Qt itself out of argv
  std::vector<std::string> rest(argv + 1, argv + argc);
  sorami::CommonOptions unused;
  sorami::TakeCommonOptions(rest, unused, error);
  if (!rest.empty()) return Usage("unknown argument: " + rest.front());
  // The menu entry's name and icon, so the window system pairs the windows with them.
  QApplication::setApplicationVersion(QString::fromLatin1(sorami::app::kVersion));
  QGuiApplication::setDesktopFileName(QStringLiteral(SORAMI_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(SORAMI_APP_ID)));
  // Qt's own dialogs and buttons in Japanese, before any window is made. Without the file
  // (Qt's translations not installed) they stay in English and the program runs on.
  QTranslator qt_japanese;
  if (!sorami::InstallQtJapanese(qt_japanese)) {
    std::fprintf(stderr, "sorami: Qt's Japanese texts not found: %s\n",
                 qPrintable(sorami::QtJapaneseFile()));
  }

  auto st = sorami::MakeAppState(options);
  // One writer per data directory: the window holds the lock for the whole run.
  const auto lock = sorami::LockDataDir(st->paths.DataDir(), 3000);
  if (!lock) {
    QMessageBox::critical(nullptr, QStringLiteral("ソラミメッセージ"),
                          QStringLiteral("データフォルダは他のプログラムが更新中です。"
                                         "終わってからやり直してください : ") +
                              QString::fromStdString(st->paths.DataDir().string()));
    return 1;
  }
  sorami::RemoveLeftoverFiles(st->paths);  // what a killed run left half-written
  sorami::AppWindows windows(*st);
  // Closing the main window ends the run, also while other windows are still shown.
  QObject::connect(windows.main.get(), &sorami::TFormMain::closed, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  // A session that ends the program closes it like the window's close: settings and store
  // saved. A running mail receive is stopped first, so the close need not wait on a slow
  // server.
  sorami::SignalClose signal_close([&windows, &st] {
    sorami::CancelMailJushin(st->mail);
    windows.main->close();
  });
  windows.main->show();
  return app.exec();
}
