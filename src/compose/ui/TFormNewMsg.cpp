#include "compose/ui/TFormNewMsg.h"

namespace sorami {

TFormNewMsg::TFormNewMsg(AppState& st, QWidget* parent)
    : PersistedWindow(st, "fmKrNew", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("新規メッセージ作成"));
}

}  // namespace sorami
