#include "compose/ui/TFormNewMsg.h"

namespace sorami {

TFormNewMsg::TFormNewMsg(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmKrNew", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("新規メッセージ作成"));
}

}  // namespace sorami
