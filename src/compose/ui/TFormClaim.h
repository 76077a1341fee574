// The claim report window (TFormClaim). Created once at start and kept for the whole run;
// its controls come with the features that use them.
#pragma once

#include "shell/ui/PersistedWindow.h"

namespace sorami {

class TFormClaim : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{208, 101, 430, 420};

  explicit TFormClaim(AppState& st, QWidget* parent = nullptr);
};

}  // namespace sorami
