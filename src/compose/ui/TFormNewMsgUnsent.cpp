// The compose window's care for a message not yet sent: every change marks it unsent and
// (after a short quiet time) writes the recovery copy; closing the window or replacing its
// contents asks first; the end of the run keeps it for the next one.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include "base/ui/ProductText.h"
#include "base/ui/QtText.h"
#include "compose/ui/TFormNewMsg.h"

namespace sorami {

void TFormNewMsg::TrackChanges() {
  recovery_timer_ = new QTimer(this);
  recovery_timer_->setObjectName(QStringLiteral("RecoveryTimer"));
  recovery_timer_->setSingleShot(true);
  recovery_timer_->setInterval(kRecoveryDelayMs);
  connect(recovery_timer_, &QTimer::timeout, this, &TFormNewMsg::WriteRecovery);
  for (QLineEdit* e : {edit_atesaki_, edit_cc_, edit_bcc_, edit_reply_to_, edit_title_}) {
    connect(e, &QLineEdit::textChanged, this, &TFormNewMsg::Changed);
  }
  connect(memo_honbun_, &QTextEdit::textChanged, this, &TFormNewMsg::Changed);
  for (QComboBox* c : {combo_kankei_, combo_shubetsu_}) {
    connect(c, &QComboBox::currentIndexChanged, this, &TFormNewMsg::Changed);
  }
  connect(ck_auto_, &QCheckBox::toggled, this, &TFormNewMsg::Changed);
}

void TFormNewMsg::Changed() {
  unsent_ = true;
  recovery_timer_->start();  // again from the start: written once the typing pauses
}

void TFormNewMsg::WriteRecovery() {
  recovery_timer_->stop();
  if (!unsent_) return;
  if (HasContent()) {
    if (hooks.save_recovery) hooks.save_recovery(TypedFields());
  } else if (hooks.clear_recovery) {
    hooks.clear_recovery();  // everything was erased: nothing to bring back
  }
}

void TFormNewMsg::Settled() {
  unsent_ = false;
  recovery_timer_->stop();
  if (hooks.clear_recovery) hooks.clear_recovery();
}

bool TFormNewMsg::HasContent() const {
  for (const QLineEdit* e : {edit_atesaki_, edit_cc_, edit_bcc_, edit_title_}) {
    if (!e->text().isEmpty()) return true;
  }
  return !memo_honbun_->toPlainText().isEmpty() || label_tenpu_->isVisibleTo(this);
}

bool TFormNewMsg::HoldsUnsent() const { return unsent_ && HasContent(); }

ComposeFields TFormNewMsg::TypedFields() const {
  return FieldsAs([](const QString& s) { return s.toStdString(); });
}

void TFormNewMsg::Restore(const ComposeFields& typed) {
  SetFieldsAs(typed, [](const std::string& s) { return QString::fromStdString(s); });
  ck_auto_->setChecked(typed.auto_kankei);
  combo_kankei_->setEnabled(!typed.auto_kankei);
  UpdateLabelTenpu();
  unsent_ = true;
  recovery_timer_->stop();  // it is on disk already
}

TFormNewMsg::Unsent TFormNewMsg::AskUnsent(const QString& why) {
  QMessageBox box(QMessageBox::Question, ProductTitle(), why, QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("AskUnsent"));
  QPushButton* save = box.addButton(QStringLiteral("下書きに保存"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("破棄"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return Unsent::kSaveDraft;
  if (box.clickedButton() == discard) return Unsent::kDiscard;
  return Unsent::kCancel;
}

bool TFormNewMsg::SettleUnsent(const QString& why) {
  if (!HoldsUnsent()) return true;
  switch (AskUnsent(why)) {
    case Unsent::kSaveDraft:
      return Run(true);  // a draft that could not be stored stays in the window
    case Unsent::kDiscard:
      for (QLineEdit* e : {edit_atesaki_, edit_title_, edit_cc_, edit_bcc_}) e->clear();
      memo_honbun_->clear();
      if (hooks.clear_attachments) hooks.clear_attachments();  // its files go with it
      UpdateLabelTenpu();
      Settled();
      return true;
    case Unsent::kCancel:
      break;
  }
  return false;
}

bool TFormNewMsg::ConfirmReplace() {
  return SettleUnsent(
      QStringLiteral("書きかけのメッセージがあります。置き換える前に"
                     "下書きに保存しますか、破棄しますか?"));
}

void TFormNewMsg::EndOfRun() {
  ending_ = true;
  WriteRecovery();
}

void TFormNewMsg::closeEvent(QCloseEvent* event) {
  if (!ending_ && !SettleUnsent(QStringLiteral("送信していないメッセージがあります。"
                                               "下書きに保存しますか、破棄しますか?"))) {
    event->ignore();
    return;
  }
  WriteRecovery();
  IniStore ini = registry_.Open(kCommonKey);
  ini.WriteString("Setting", "fmKrNew.EditAtesaki", Sj(edit_atesaki_->text()));
  if (!ini.Save()) log_.Log("Cannot Write : " + PathText(ini.path()));
  PersistedWindow::closeEvent(event);
}

}  // namespace sorami
