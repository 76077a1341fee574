// The log window (TFormMemo): the diagnostic log on its tab "LOG", with commands to clear it,
// save it to "Logfile.log" in the current directory and suspend logging. Its geometry and the
// suspend switch are kept under the settings key "Sorami", read when the window is created and
// written when the user closes it.
#pragma once

#include <QMainWindow>

#include "base/DiagLog.h"
#include "platform/IniStore.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace sorami {

class TFormMemo : public QMainWindow {
  Q_OBJECT

 public:
  // Creating the window starts the log: lines logged from here on are kept.
  TFormMemo(Registry& registry, DiagLog& log, QWidget* parent = nullptr);
  ~TFormMemo() override;

  // Shows the window with its "LOG" tab in front.
  void ShowLog();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenu();
  void SaveLog();
  void SetStatus(const QString& text);

  Registry& registry_;
  DiagLog& log_;
  QTabWidget* page_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  // While the window is hidden new lines only mark the memo stale; it is refilled when the
  // window is shown, so a fetch of thousands of lines costs no text layout.
  bool stale_ = false;
  void Refill();
  QAction* yokushi_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace sorami
