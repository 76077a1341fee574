// The claim report window (TFormClaim, caption "クレーム報告"): the reported message's data
// read-only, the two "不正" check boxes and a comment. Created once at start and kept for the
// whole run: the check boxes and the comment keep what they held last time.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "base/ui/PersistedWindow.h"
#include "site/Claim.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace sorami {

class TFormClaim : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{208, 101, 430, 420};

  struct Hooks {
    // Posts the report; gives the result text.
    std::function<std::string(const ClaimChoice&)> report;
    std::function<void()> show_help;
    // Tells the user something and waits for the answer (a message box).
    std::function<void(const QString&)> alert;
  };

  TFormClaim(Registry& registry, DiagLog& log, QWidget* parent = nullptr);

  Hooks hooks;

  // Fills the read-only fields from record row and shows the window modally. When it closes
  // with OK, closed(true) carries the result text.
  void ShowFor(const TArMastd& store, int32_t row);
  void Button1Click();  // "クレーム報告実行"

 signals:
  void closed(bool ok, const QString& result);

 private:
  void Finish(bool ok);

  QLineEdit* edit_from_name_ = nullptr;
  QLineEdit* edit_title_ = nullptr;
  QLineEdit* edit_from_date_ = nullptr;
  QLineEdit* edit_date_ = nullptr;
  QLineEdit* edit_honbun_ = nullptr;
  QLineEdit* edit_to_name_ = nullptr;
  QLineEdit* edit_kankei_ = nullptr;
  QLineEdit* edit_shubetsu_ = nullptr;
  QCheckBox* ck_kankei_ = nullptr;
  QCheckBox* ck_shubetsu_ = nullptr;
  QPlainTextEdit* memo_comment_ = nullptr;
  QString result_;
};

}  // namespace sorami
