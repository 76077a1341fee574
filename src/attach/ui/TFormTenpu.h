// The attachment window: a message's attachments and the files to send (TFormTenpu). Created once
// at start and kept for the whole run; its controls come with the features that use them.
#pragma once

#include "base/ui/PersistedWindow.h"

namespace sorami {

class TFormTenpu : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{210, 140, 402, 332};

  TFormTenpu(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
};

}  // namespace sorami
