// The message pane PanelHonbun: a header of caption and value labels (PanelMsg) with the
// attachment button, above the body box MemoRich. It shows one record at a time and knows
// which one.
#pragma once

#include <QList>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/DiagLog.h"
#include "mail/mime/UnicodeMail.h"
#include "platform/Codepage.h"
#include "store/MastStore.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace sorami {

// The displayed kind of a site message ("メッセージ"); a mail shows as "メール".
inline const std::string& MessageKind() {
  static const std::string kind = "メッセージ"_cp932;
  return kind;
}

class MessagePane : public QWidget {
  Q_OBJECT

 public:
  explicit MessagePane(QWidget* parent = nullptr);

  // Fills the header labels and the body box from a record of the store: "送信先" made by
  // SetToName, the body unescaped. Remembers the record as the one shown.
  void ShowRecord(const TArMastd& store, DiagLog& log, int32_t row);
  // Puts the full Unicode text of the shown mail's original in place of the record's code
  // page 932 sender, title, recipient, CC and body.
  void ShowUnicode(const UnicodeMail& mail);
  // Empties the eight value labels.
  void Clear();
  // The record last shown, or -1.
  int32_t record() const { return record_; }
  // The body box no longer shows a record (it shows a text of the program's own).
  void ForgetRecord() { record_ = -1; }

  // The caption "送信時刻" (hidden for mail, which shows its own details).
  void SetSentCaptionVisible(bool on);
  QPushButton* tenpu() const { return bt_tenpu_; }
  QTextEdit* memo() const { return memo_rich_; }

 private:
  QList<QLabel*> values_;
  QLabel* cap_soushin_ = nullptr;
  QPushButton* bt_tenpu_ = nullptr;
  QTextEdit* memo_rich_ = nullptr;
  int32_t record_ = -1;
};

}  // namespace sorami
