// sorami: the desktop client. Options: --appdir DIR (application directory, holding Data and
// ATTACH) and --config DIR (where the settings and the encryption key live).
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/Startup.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes the options of Qt itself out of argv
  std::vector<std::string> args(argv + 1, argv + argc);
  sorami::CommonOptions options;
  std::string error;
  if (!sorami::TakeCommonOptions(args, options, error)) {
    std::fprintf(stderr, "sorami: %s\n", error.c_str());
    return 2;
  }
  if (!args.empty()) {
    std::fprintf(stderr,
                 "sorami: unknown argument: %s\nusage: sorami [--appdir DIR] [--config DIR]\n",
                 args.front().c_str());
    return 2;
  }
  auto st = sorami::MakeAppState(options);
  sorami::AppWindows windows(*st);
  // Closing the main window ends the run, also while other windows are still shown.
  QObject::connect(windows.main.get(), &sorami::TFormMain::closed, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  windows.main->show();
  return app.exec();
}
