// The search window (TFormKensaku, caption "検索"): a keyword box, "検索実行(&K)", the condition
// AND / OR and a status bar. The search itself and the list of its result belong to the
// routines the window is wired to.
#pragma once

#include <functional>

#include "base/ui/PersistedWindow.h"

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace sorami {

class TFormKensaku : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{150, 90, 280, 148};

  struct Hooks {
    // Searches the store for the keyword text with condition 0 (AND) or 1 (OR) and shows the
    // result in the message list; gives the message for the status bar.
    std::function<QString(const QString& text, int condition)> run_search;
  };

  TFormKensaku(Registry& registry, DiagLog& log, QWidget* parent = nullptr);

  Hooks hooks;

  // "検索実行(&K)".
  void Button1Click();
  QString StatusText() const;

 private:
  QLineEdit* edit_keyword_ = nullptr;
  QButtonGroup* jouken_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace sorami
