// The entry of the loadable Qt services module: the table of the Qt implementations, and the
// application object their event loops need (the command line makes none of its own).
#include <QCoreApplication>

#include "platform/ContentType.h"
#include "platform/QtServices.h"

namespace {

// Made by the first call of the entry when the program has none; ended by release at the end
// of the program's main, as an application object on main's stack would be (at exit, Qt's
// own globals may already be gone).
QCoreApplication* g_app = nullptr;

void Release() {
  delete g_app;
  g_app = nullptr;
}

const sorami::QtServices kServices = {
    sorami::kQtServicesLayout,
    sorami::MakeQtHttpClient,
    sorami::MakeQtLineSocket,
    sorami::OpenDesktopKeyring,
    sorami::ContentTypeOfFile,
    sorami::ShellOpen,
    Release,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const sorami::QtServices* sorami_qt_services() {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "sorami-cli";
    static char* argv[] = {name, nullptr};
    g_app = new QCoreApplication(argc, argv);
  }
  return &kServices;
}
