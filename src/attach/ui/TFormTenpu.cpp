#include "attach/ui/TFormTenpu.h"

namespace sorami {

TFormTenpu::TFormTenpu(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmTenpu", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("添付ファイル"));
}

}  // namespace sorami
