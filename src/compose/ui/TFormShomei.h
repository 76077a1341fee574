// The signature window (TFormShomei). Created once at start and kept for the whole run;
// its controls come with the features that use them.
#pragma once

#include "base/ui/PersistedWindow.h"

namespace sorami {

class TFormShomei : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{215, 89, 361, 180};

  TFormShomei(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
};

}  // namespace sorami
