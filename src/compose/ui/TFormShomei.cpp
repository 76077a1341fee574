#include "compose/ui/TFormShomei.h"

namespace sorami {

TFormShomei::TFormShomei(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmShomei", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("署名"));
}

}  // namespace sorami
