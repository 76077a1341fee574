#include "compose/ui/TFormClaim.h"

namespace sorami {

TFormClaim::TFormClaim(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmClaim", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("クレーム報告"));
}

}  // namespace sorami
