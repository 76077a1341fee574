// The compose window (TFormNewMsg, caption "新規メッセージ作成"): recipients, title, category,
// relation and body of a new message, with the send and draft buttons. One window for the
// whole run: hidden, not destroyed, so a reopened window shows what was last typed. The window
// copies its controls into ComposeFields and hands them to the send routine it is given.
// A message not yet sent or saved is kept as a recovery copy (written shortly after every
// change, at close and at the end of the run); closing the window or filling it with a reply
// asks first whether to save it as a draft, throw it away or go back to it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "base/ui/PersistedWindow.h"
#include "compose/ComposeCheck.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTextEdit;
class QTimer;

namespace sorami {

class TFormNewMsg : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{15, 284, 514, 365};
  static constexpr int kShortHeight = 62;
  static constexpr int kTallHeight = 120;

  enum class Target { kTo, kCc, kBcc };

  struct Hooks {
    // Send or draft: runs on the fields (which may come back changed: "(No Subject)"), fills the
    // status texts in the order they appear; returns whether the window closes.
    std::function<bool(ComposeFields&, std::vector<std::string>&status)> send, draft;
    // The address list shown modally for picking into the target edit.
    std::function<void(Target)> pick;
    // The names of the files on the send attachment list, as the file system writes them.
    std::function<QStringList()> attachment_names;
    std::function<void()> clear_attachments;  // "全消去": the send attachment list emptied
    std::function<void()> show_attachments;   // the attachment window, modal, for composing
    std::function<std::string()> signature;   // the signature as it stands
    std::function<void()> edit_signature;
    std::function<void()> show_help;
    // The current account's nickname and site name, shown beside "送信者" and "送信サイト".
    std::function<void(std::string& nickname, std::string& site)> account;
    // The recovery copy: the fields as typed (UTF-8) written with the send attachment list;
    // removed once the message is sent, saved as a draft or thrown away.
    std::function<void(const ComposeFields& typed)> save_recovery;
    std::function<void()> clear_recovery;
  };

  // How long after the last change the recovery copy is written.
  static constexpr int kRecoveryDelayMs = 1500;
  // The question when an unsent message would be left or replaced.
  enum class Unsent { kSaveDraft, kDiscard, kCancel };

  TFormNewMsg(Registry& registry, DiagLog& log, QWidget* parent = nullptr);

  Hooks hooks;

  // Shown without being modal: the account labels and the attached names brought up to date.
  void ShowWindow();
  // The controls as fields, and back.
  ComposeFields Fields() const;
  void SetFields(const ComposeFields& f);
  // The controls as typed (UTF-8), for the recovery copy, and a recovery copy put back: the
  // message counts as unsent.
  ComposeFields TypedFields() const;
  void Restore(const ComposeFields& typed);
  // Whether the window holds a message that is neither sent nor saved.
  bool HoldsUnsent() const;
  // Before a reply or resend fills the window: true when it may (nothing unsent, or the user
  // saved it as a draft or threw it away).
  bool ConfirmReplace();
  // The run ends (quit, a signal): the recovery copy is written now, and the close that
  // follows asks nothing; the next run brings the message back.
  void EndOfRun();

  void SpeedButton1Click();  // "送信(&S)"
  void BtSoukouClick();      // "草稿に保存"
  void BtShousaiClick();     // "詳細"
  void BtShomeiClick();      // "署名付加"
  void TenpuClick();         // "添付ファイル(&T)"
  // The address list's pick: "上書選択(&C)" replaces the target's text (and for To the
  // relation); "追加選択(&A)" fills an empty target (relation by position) or appends ",".
  void ReplacePick(Target t, const QString& address, const QString& relation);
  void AddPick(Target t, const QString& address, int relation);
  // "添付: " and the attached files' names, hidden when there are none.
  void UpdateLabelTenpu();
  void ShowStatus(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildHeader(QWidget* header);
  void BuildMenus();
  // The address and title boxes take the header's width; 関係, 種別 and 自動設定 stay at
  // their right.
  void LayoutHeader();
  void AtesakiChanged();
  void RunSend(bool draft);
  // Send or draft without closing; true when the message went (or was stored).
  bool Run(bool draft);
  // Names the characters that would become "〓"; true when the user goes on anyway.
  bool AskUnwritable(const std::vector<std::string>& chars, bool draft);
  QLineEdit* EditOf(Target t) const;
  ComposeFields FieldsAs(std::string (*text)(const QString&)) const;
  void SetFieldsAs(const ComposeFields& f, QString (*text)(const std::string&));
  void TrackChanges();
  void Changed();
  void WriteRecovery();
  void Settled();  // sent, saved or thrown away: nothing to recover
  bool HasContent() const;
  Unsent AskUnsent(const QString& why);
  // The answer acted on; false when the user went back to the message.
  bool SettleUnsent(const QString& why);

  QWidget* header_ = nullptr;
  QPushButton* bt_send_ = nullptr;
  QPushButton* bt_soukou_ = nullptr;
  QPushButton* bt_shousai_ = nullptr;
  QLabel* label_id_ = nullptr;
  QLabel* label_site_ = nullptr;
  QLabel* label_tenpu_ = nullptr;
  QLabel* label_kankei_ = nullptr;
  QLabel* label_shu_ = nullptr;
  QLineEdit* edit_title_ = nullptr;
  QLineEdit* edit_atesaki_ = nullptr;
  QLineEdit* edit_cc_ = nullptr;
  QLineEdit* edit_bcc_ = nullptr;
  QLineEdit* edit_reply_to_ = nullptr;
  QComboBox* combo_shubetsu_ = nullptr;
  QComboBox* combo_kankei_ = nullptr;
  QCheckBox* ck_auto_ = nullptr;
  QTextEdit* memo_honbun_ = nullptr;
  QStatusBar* status_ = nullptr;
  QTimer* recovery_timer_ = nullptr;
  bool unsent_ = false;  // changed since the last send, draft or discard
  bool ending_ = false;  // the run ends: close without asking
};

}  // namespace sorami
