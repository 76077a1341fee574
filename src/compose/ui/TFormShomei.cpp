#include "compose/ui/TFormShomei.h"

namespace sorami {

TFormShomei::TFormShomei(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmShomei", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("署名"));
}

}  // namespace sorami
