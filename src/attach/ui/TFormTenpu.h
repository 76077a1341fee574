// The attachment window: a message's attachments and the files to send (TFormTenpu). Created once
// at start and kept for the whole run; its controls come with the features that use them.
#pragma once

#include "shell/ui/PersistedWindow.h"

namespace sorami {

class TFormTenpu : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{210, 140, 402, 332};

  explicit TFormTenpu(AppState& st, QWidget* parent = nullptr);
};

}  // namespace sorami
