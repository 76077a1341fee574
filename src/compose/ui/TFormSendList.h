// The address list window (TFormSendList). Created once at start and kept for the whole run;
// its controls come with the features that use them.
#pragma once

#include "base/ui/PersistedWindow.h"

namespace sorami {

class TFormSendList : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{6, 194, 442, 341};

  TFormSendList(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
};

}  // namespace sorami
