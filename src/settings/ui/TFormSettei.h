// The settings window: accounts, mail servers, system, account log and user folders (TFormSettei).
// Created once at start and kept for the whole run; its controls come with the features that use
// them.
#pragma once

#include "shell/ui/PersistedWindow.h"

namespace sorami {

class TFormSettei : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{190, 110, 520, 420};

  explicit TFormSettei(AppState& st, QWidget* parent = nullptr);
};

}  // namespace sorami
