// The small progress window shown while a site request waits (TFormMessage): yellow, a dialog
// border without border buttons, centred on the desktop, asking the user to wait. It keeps
// no settings.
#pragma once

#include <QWidget>

#include "shell/AppState.h"

namespace sorami {

class TFormMessage : public QWidget {
  Q_OBJECT

 public:
  explicit TFormMessage(AppState& st, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  AppState& st_;
};

}  // namespace sorami
