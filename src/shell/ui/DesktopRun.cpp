#include "shell/ui/DesktopRun.h"

#include <sorami/Version.h>

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>

#include "base/ui/QtJapanese.h"
#include "shell/TenpuFetch.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/SignalClose.h"
#include "shell/ui/TFormMain.h"

namespace sorami {

DesktopRun::DesktopRun() = default;

DesktopRun::~DesktopRun() {
  signal_close_.reset();
  windows_.reset();
  st_.reset();
  lock_.reset();
}

EarlyStart BeginRun(const CommonOptions& options) {
  EarlyStart early;
  early.fonts = std::make_unique<FontConfigAhead>();
  early.st = MakeLocalAppState(options);
  early.lock = LockDataDir(early.st->paths.DataDir(), 0);
  if (early.lock) {
    RemoveLeftoverFiles(early.st->paths);
    early.st->preload.Start(early.st->master);
  }
  return early;
}

bool DesktopRun::Open(const CommonOptions& options, EarlyStart early) {
  // The menu entry's name and icon, so the window system pairs the windows with them.
  QApplication::setApplicationVersion(QStringLiteral(SORAMI_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(SORAMI_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(SORAMI_APP_ID)));
  // Qt's own dialogs and buttons in Japanese, before any window is made. Without the file
  // (Qt's translations not installed) they stay in English and the program runs on.
  if (!InstallQtJapanese(qt_japanese_)) {
    std::fprintf(stderr, "sorami: Qt's Japanese texts not found: %s\n",
                 qPrintable(QtJapaneseFile()));
  }
  st_ = early.st ? std::move(early.st) : MakeLocalAppState(options);
  // One writer per data directory: the window holds the lock for the whole run.
  lock_ = early.lock ? std::move(early.lock) : LockDataDir(st_->paths.DataDir(), 3000);
  if (!lock_) {
    QMessageBox::critical(nullptr, QStringLiteral("ソラミメッセージ"),
                          QStringLiteral("データフォルダは他のプログラムが更新中です。"
                                         "終わってからやり直してください : ") +
                              QString::fromStdString(st_->paths.DataDir().string()));
    return false;
  }
  if (!st_->preload.pending()) {
    RemoveLeftoverFiles(st_->paths);  // what a killed run left half-written
    // The store is read while the windows are built; the main window's first showing waits
    // for it. Both take the encryption switch from the same setting.
    st_->preload.Start(st_->master);
  }
  ConnectAppState(*st_);  // the keyring's answer is waited for while the store is read
  if (early.fonts) early.fonts->Wait();  // the first window asks for a font
  windows_ = std::make_unique<AppWindows>(*st_);
  // Closing the main window ends the run, also while other windows are still shown.
  QObject::connect(windows_->main.get(), &TFormMain::closed, qApp, &QApplication::quit,
                   Qt::QueuedConnection);
  // A session that ends the program closes it like the window's close: settings and store
  // saved. A running mail receive is stopped first, so the close need not wait on a slow
  // server.
  signal_close_ = std::make_unique<SignalClose>([this] {
    CancelMailJushin(st_->mail);
    windows_->main->close();
  });
  return true;
}

}  // namespace sorami
