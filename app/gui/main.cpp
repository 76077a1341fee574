// sorami: the desktop client. Options: --appdir DIR (application directory, holding Data and
// ATTACH), --config DIR (where the settings and the encryption key live) and
// --directory-host HOST[:PORT] (the directory server of the site service).
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/Startup.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/SignalClose.h"
#include "shell/ui/TFormMain.h"

namespace {

int Usage(const std::string& error) {
  std::fprintf(
      stderr,
      "sorami: %s\nusage: sorami [--appdir DIR] [--config DIR] [--directory-host HOST[:PORT]]\n",
      error.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // A malformed option is reported before any window system is needed.
  sorami::CommonOptions options;
  std::string error;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!sorami::TakeCommonOptions(args, options, error)) return Usage(error);

  QApplication app(argc, argv);  // takes the options of Qt itself out of argv
  std::vector<std::string> rest(argv + 1, argv + argc);
  sorami::CommonOptions unused;
  sorami::TakeCommonOptions(rest, unused, error);
  if (!rest.empty()) return Usage("unknown argument: " + rest.front());

  auto st = sorami::MakeAppState(options);
  sorami::AppWindows windows(*st);
  // Closing the main window ends the run, also while other windows are still shown.
  QObject::connect(windows.main.get(), &sorami::TFormMain::closed, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  // A session that ends the program closes it like the window's close: settings and store
  // saved.
  sorami::SignalClose signal_close([&windows] { windows.main->close(); });
  windows.main->show();
  return app.exec();
}
