#include "compose/ui/TFormClaim.h"

namespace sorami {

TFormClaim::TFormClaim(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmClaim", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("クレーム報告"));
}

}  // namespace sorami
