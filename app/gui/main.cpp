// sorami: the desktop client. Options: --appdir DIR (application directory, holding Data and
// ATTACH), --config DIR (where the settings and the encryption key live) and
// --directory-host HOST[:PORT] (the directory server of the site service); --version and
// --help print without opening a window.
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "AppInfo.h"
#include "shell/Startup.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/DesktopRun.h"
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

  // The font configuration's and the store's reads begin before the Qt application is made.
  sorami::EarlyStart early = sorami::BeginRun(options);
  QApplication app(argc, argv);  // takes the options of Qt itself out of argv
  std::vector<std::string> rest(argv + 1, argv + argc);
  sorami::CommonOptions unused;
  sorami::TakeCommonOptions(rest, unused, error);
  if (!rest.empty()) return Usage("unknown argument: " + rest.front());
  sorami::DesktopRun run;
  if (!run.Open(options, std::move(early))) return 1;
  run.windows().main->show();
  return app.exec();
}
