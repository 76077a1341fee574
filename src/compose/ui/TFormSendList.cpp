#include "compose/ui/TFormSendList.h"

namespace sorami {

TFormSendList::TFormSendList(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmSendList", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("送信先リスト"));
}

}  // namespace sorami
