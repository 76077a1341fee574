// What the compose window's buttons and menus do: the window copies its controls into the
// fields, calls the routine it was given and shows what comes back.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>

#include "base/ui/ProductText.h"
#include "base/ui/QtText.h"
#include "compose/Unwritable.h"
#include "compose/ui/TFormNewMsg.h"

namespace sorami {

void TFormNewMsg::ShowWindow() {
  std::string nickname, site;
  if (hooks.account) hooks.account(nickname, site);
  label_id_->setText(Qs(nickname));
  label_site_->setText(Qs(site));
  UpdateLabelTenpu();
  show();
  raise();
  activateWindow();
}

ComposeFields TFormNewMsg::FieldsAs(std::string (*text)(const QString&)) const {
  ComposeFields f;
  f.to = text(edit_atesaki_->text());
  f.cc = text(edit_cc_->text());
  f.bcc = text(edit_bcc_->text());
  f.reply_to = text(edit_reply_to_->text());
  f.title = text(edit_title_->text());
  f.body = text(memo_honbun_->toPlainText());
  f.kankei = text(combo_kankei_->currentText());
  f.shubetsu = text(combo_shubetsu_->currentText());
  f.auto_kankei = ck_auto_->isChecked();
  return f;
}

void TFormNewMsg::SetFieldsAs(const ComposeFields& f, QString (*text)(const std::string&)) {
  edit_atesaki_->setText(text(f.to));
  edit_cc_->setText(text(f.cc));
  edit_bcc_->setText(text(f.bcc));
  edit_reply_to_->setText(text(f.reply_to));
  edit_title_->setText(text(f.title));
  memo_honbun_->setPlainText(text(f.body));
  if (!f.kankei.empty()) combo_kankei_->setCurrentText(text(f.kankei));
  if (!f.shubetsu.empty()) combo_shubetsu_->setCurrentText(text(f.shubetsu));
}

ComposeFields TFormNewMsg::Fields() const {
  return FieldsAs([](const QString& s) { return Sj(s); });
}

void TFormNewMsg::SetFields(const ComposeFields& f) {
  SetFieldsAs(f, [](const std::string& s) { return Qs(s); });
}

bool TFormNewMsg::Run(bool draft) {
  auto& run = draft ? hooks.draft : hooks.send;
  if (!run) return false;
  // Characters code page 932 cannot hold would become "〓": the user hears of them first.
  const std::vector<std::string> lost = UnwritableChars(TypedFields());
  if (!lost.empty() && !AskUnwritable(lost, draft)) return false;
  // One send at a time: the buttons stay off until this one has its answer.
  bt_send_->setEnabled(false);
  bt_soukou_->setEnabled(false);
  ComposeFields f = Fields();
  std::vector<std::string> status;
  const bool done = run(f, status);
  UpdateLabelTenpu();                 // a send that went empties the attachment list
  edit_title_->setText(Qs(f.title));  // "(No Subject)" shows where it went in
  for (const std::string& s : status) ShowStatus(Qs(s));
  bt_send_->setEnabled(true);
  bt_soukou_->setEnabled(true);
  if (done) Settled();
  return done;
}

bool TFormNewMsg::AskUnwritable(const std::vector<std::string>& chars, bool draft) {
  QMessageBox box(QMessageBox::Question, ProductTitle(),
                  QString::fromStdString(UnwritableNotice(chars)) +
                      (draft ? QStringLiteral("\nこのまま保存しますか?")
                             : QStringLiteral("\nこのまま送信しますか?")),
                  QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("AskUnwritable"));
  QPushButton* go = box.addButton(draft ? QStringLiteral("保存") : QStringLiteral("送信"),
                                  QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == go;
}

void TFormNewMsg::RunSend(bool draft) {
  if (Run(draft)) close();
}

void TFormNewMsg::SpeedButton1Click() { RunSend(false); }
void TFormNewMsg::BtSoukouClick() { RunSend(true); }

void TFormNewMsg::BtShousaiClick() {
  // The toggle releases itself when the panel is already tall (its group's hidden button).
  if (header_->height() == kTallHeight) bt_shousai_->setChecked(false);
  const bool down = bt_shousai_->isChecked();
  header_->setFixedHeight(down ? kTallHeight : kShortHeight);
  edit_cc_->setFocusPolicy(down ? Qt::StrongFocus : Qt::NoFocus);
  edit_bcc_->setFocusPolicy(down ? Qt::StrongFocus : Qt::NoFocus);
  ck_auto_->setVisible(down);
}

void TFormNewMsg::BtShomeiClick() {
  const std::string signature = hooks.signature ? hooks.signature() : std::string();
  memo_honbun_->moveCursor(QTextCursor::End);
  memo_honbun_->insertPlainText(QStringLiteral("\n") + Qs(signature));
}

void TFormNewMsg::TenpuClick() {
  const QString before = label_tenpu_->text();
  if (hooks.show_attachments) hooks.show_attachments();
  UpdateLabelTenpu();
  if (label_tenpu_->text() != before) Changed();  // the files belong to the message
}

void TFormNewMsg::UpdateLabelTenpu() {
  const QStringList names = hooks.attachment_names ? hooks.attachment_names() : QStringList();
  const QString text = QStringLiteral("添付: ") + names.join(QStringLiteral(", "));
  label_tenpu_->setText(text);
  label_tenpu_->setToolTip(text);
  label_tenpu_->setVisible(!names.isEmpty());
}

void TFormNewMsg::AtesakiChanged() {
  const bool site = !edit_atesaki_->text().contains(QLatin1Char('@'));
  for (QWidget* w : {static_cast<QWidget*>(label_kankei_), static_cast<QWidget*>(combo_kankei_),
                     static_cast<QWidget*>(label_shu_), static_cast<QWidget*>(combo_shubetsu_)}) {
    w->setVisible(site);
  }
}

QLineEdit* TFormNewMsg::EditOf(Target t) const {
  switch (t) {
    case Target::kCc:
      return edit_cc_;
    case Target::kBcc:
      return edit_bcc_;
    case Target::kTo:
      break;
  }
  return edit_atesaki_;
}

void TFormNewMsg::ReplacePick(Target t, const QString& address, const QString& relation) {
  EditOf(t)->setText(address);
  if (t == Target::kTo) combo_kankei_->setCurrentText(relation);
}

void TFormNewMsg::AddPick(Target t, const QString& address, int relation) {
  QLineEdit* e = EditOf(t);
  if (e->text().isEmpty()) {
    e->setText(address);
    combo_kankei_->setCurrentIndex(relation);
  } else {
    e->setText(e->text() + QLatin1Char(',') + address);
  }
}

void TFormNewMsg::ShowStatus(const QString& text) { status_->showMessage(text); }

}  // namespace sorami
