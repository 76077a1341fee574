// The small progress window shown while a site request waits (TFormMessage): yellow, a dialog
// border without border buttons, centred on the desktop, asking the user to wait. Modeless:
// the other windows keep working during the wait. It keeps no settings.
#pragma once

#include <QWidget>
#include <string>

#include "site/SiteSession.h"

namespace sorami {

class TFormMessage : public QWidget, public SiteProgress {
  Q_OBJECT

 public:
  explicit TFormMessage(QWidget* parent = nullptr);

  // SiteProgress: shown with the caption the request gives, hidden when it ends.
  void Show(const std::string& caption) override;
  void Hide() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace sorami
