// The search window (TFormKensaku). Created once at start and kept for the whole run;
// its controls come with the features that use them.
#pragma once

#include "base/ui/PersistedWindow.h"

namespace sorami {

class TFormKensaku : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{150, 90, 280, 148};

  TFormKensaku(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
};

}  // namespace sorami
