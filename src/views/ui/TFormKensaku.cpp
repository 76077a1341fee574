#include "views/ui/TFormKensaku.h"

namespace sorami {

TFormKensaku::TFormKensaku(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmSorKensaku", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("検索"));
}

}  // namespace sorami
