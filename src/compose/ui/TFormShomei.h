// The signature window (TFormShomei, caption "署名"): the signature text in MemoShomei, saved
// to Shomei.dat by "閉じる(&C)"; "キャンセル(&Q)" closes without saving, the edited text staying
// the signature for the rest of the run. Created once at start, where it loads the file.
#pragma once

#include <filesystem>
#include <string>

#include "base/ui/PersistedWindow.h"

class QPlainTextEdit;

namespace sorami {

class TFormShomei : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{215, 89, 361, 180};

  TFormShomei(Registry& registry, DiagLog& log, std::filesystem::path data_dir,
              QWidget* parent = nullptr);

  // The signature as the memo holds it now (lines separated by LF), unsaved edits included.
  std::string Signature() const;
  // "閉じる(&C)": saves, logs the result, closes.
  void Close1Click();

 private:
  std::filesystem::path data_dir_;
  QPlainTextEdit* memo_ = nullptr;
};

}  // namespace sorami
