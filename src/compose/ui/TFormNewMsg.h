// The compose window (TFormNewMsg). Created once at start and kept for the whole run;
// its controls come with the features that use them.
#pragma once

#include "base/ui/PersistedWindow.h"

namespace sorami {

class TFormNewMsg : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{15, 284, 514, 365};

  TFormNewMsg(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
};

}  // namespace sorami
