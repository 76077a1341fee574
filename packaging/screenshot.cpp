// sorami-screenshot FILE.png [--appdir DIR] [--config DIR] [--directory-host HOST[:PORT]]
// Opens the main window as sorami does, on the given data, and saves a picture of it: the
// screenshot the metainfo shows (make-screenshot runs it offscreen on the demo's data). The
// window fetches nothing, so the picture shows the store as it is.
#include <QApplication>
#include <QPixmap>
#include <QTranslator>
#include <cstdio>
#include <string>
#include <vector>

#include "base/ui/QtJapanese.h"
#include "shell/Startup.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  sorami::CommonOptions options;
  std::string error;
  if (!sorami::TakeCommonOptions(args, options, error) || args.size() != 1) {
    std::fprintf(stderr, "usage: sorami-screenshot FILE.png [--appdir DIR] [--config DIR]\n");
    return 2;
  }
  QTranslator qt_japanese;
  sorami::InstallQtJapanese(qt_japanese);
  auto st = sorami::MakeAppState(options);
  sorami::AppWindows windows(*st);
  windows.main->polling().fetch = [] {};
  windows.main->resize(960, 640);
  windows.main->show();
  // The first showing reads the store and lists the inbox through posted events.
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  const QString file = QString::fromStdString(args.front());
  if (!windows.main->grab().save(file, "PNG")) {
    std::fprintf(stderr, "sorami-screenshot: cannot write %s\n", args.front().c_str());
    return 1;
  }
  return 0;
}
