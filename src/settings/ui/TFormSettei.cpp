#include "settings/ui/TFormSettei.h"

namespace sorami {

TFormSettei::TFormSettei(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmKairoSettei", kDesignGeometry, Persist::kPositionOnly, parent) {
  // Only the position is read back; the geometry is written with the window's other
  // settings, not on close.
  setWindowTitle(QStringLiteral("設定"));
}

}  // namespace sorami
