// The start of the windows on a store: from the program's start to the main window shown with
// its message list painted (the window grabbed into an image, which paints every visible
// row), along the program's own start (the run begun, the Qt application, then
// DesktopRun). Prints the seconds. Run offscreen by scripts/bench-vs-tools:
//
//   QT_QPA_PLATFORM=offscreen bench_window APPDIR CONFIGDIR
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <utility>

#include "shell/AppState.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/DesktopRun.h"
#include "shell/ui/TFormMain.h"

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  if (argc != 3) {
    std::fputs("usage: bench_window APPDIR CONFIGDIR\n", stderr);
    return 2;
  }
  sorami::CommonOptions options;
  options.paths.app_dir = argv[1];
  options.paths.config_dir = argv[2];
  sorami::EarlyStart early = sorami::BeginRun(options);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  sorami::DesktopRun run;
  if (!run.Open(options, std::move(early))) return 1;
  sorami::TFormMain& main = *run.windows().main;
  main.show();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  const QPixmap shot = main.grab();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.4f %d\n", seconds, run.state().store.CtMaster());
  return shot.isNull() ? 1 : 0;
}
