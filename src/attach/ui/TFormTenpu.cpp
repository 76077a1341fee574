#include "attach/ui/TFormTenpu.h"

namespace sorami {

TFormTenpu::TFormTenpu(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmTenpu", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("添付ファイル"));
}

}  // namespace sorami
