#include "views/ui/TFormKensaku.h"

namespace sorami {

TFormKensaku::TFormKensaku(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmSorKensaku", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("検索"));
}

}  // namespace sorami
