#include "base/ui/PersistedWindow.h"

#include <QCloseEvent>

#include "base/ui/WindowPlacement.h"
#include "platform/Codepage.h"

namespace sorami {

PersistedWindow::PersistedWindow(Registry& registry, DiagLog& log, std::string_view name,
                                 const WindowGeometry& design, Persist mode, QWidget* parent)
    : QMainWindow(parent), registry_(registry), log_(log), name_(name), mode_(mode) {
  setObjectName(QString::fromStdString(name_));
  const IniStore ini = registry_.Open(kCommonKey);
  ApplyGeometry(*this, mode_ == Persist::kGeometry ? ReadWindowGeometry(ini, name_, design)
                                                   : ReadWindowPosition(ini, name_, design));
}

void PersistedWindow::SaveGeometry() {
  IniStore ini = registry_.Open(kCommonKey);
  WriteWindowGeometry(ini, name_, CurrentGeometry(*this));
  if (!ini.Save()) log_.Log("Cannot Write : " + PathText(ini.path()));
}

void PersistedWindow::closeEvent(QCloseEvent* event) {
  if (mode_ == Persist::kGeometry) SaveGeometry();
  event->accept();  // hidden, not destroyed: the window lives for the whole run
}

}  // namespace sorami
