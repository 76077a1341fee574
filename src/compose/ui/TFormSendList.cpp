#include "compose/ui/TFormSendList.h"

namespace sorami {

TFormSendList::TFormSendList(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmSendList", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("送信先リスト"));
}

}  // namespace sorami
