// The claim report window (TFormClaim). Created once at start and kept for the whole run;
// its controls come with the features that use them.
#pragma once

#include "base/ui/PersistedWindow.h"

namespace sorami {

class TFormClaim : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{208, 101, 430, 420};

  TFormClaim(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
};

}  // namespace sorami
