// The start of the windows on a store: from the program's start to the main window shown with
// its message list painted (the window grabbed into an image, which paints every visible
// row). Prints the seconds. Run offscreen by scripts/bench-vs-tools:
//
//   QT_QPA_PLATFORM=offscreen bench_window APPDIR CONFIGDIR
#include <QApplication>
#include <chrono>
#include <cstdio>

#include "platform/FileCrypto.h"
#include "shell/AppState.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  if (argc != 3) {
    std::fputs("usage: bench_window APPDIR CONFIGDIR\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  const sorami::AppPaths paths{argv[1], argv[2], false};
  sorami::AppState st(paths, sorami::MakeSodiumFileCrypto(paths.KeyFile()));
  st.LoadCoreSettings();
  sorami::AppWindows windows(st);
  windows.main->show();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  const QPixmap shot = windows.main->grab();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.4f %d\n", seconds, st.store.CtMaster());
  return shot.isNull() ? 1 : 0;
}
