// What the compose window's buttons and menus do: the window copies its controls into the
// fields, calls the routine it was given and shows what comes back.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>

#include "base/ui/QtText.h"
#include "compose/ui/TFormNewMsg.h"
#include "platform/Codepage.h"

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

ComposeFields TFormNewMsg::Fields() const {
  ComposeFields f;
  f.to = Sj(edit_atesaki_->text());
  f.cc = Sj(edit_cc_->text());
  f.bcc = Sj(edit_bcc_->text());
  f.reply_to = Sj(edit_reply_to_->text());
  f.title = Sj(edit_title_->text());
  f.body = Sj(memo_honbun_->toPlainText());
  f.kankei = Sj(combo_kankei_->currentText());
  f.shubetsu = Sj(combo_shubetsu_->currentText());
  f.auto_kankei = ck_auto_->isChecked();
  return f;
}

void TFormNewMsg::SetFields(const ComposeFields& f) {
  edit_atesaki_->setText(Qs(f.to));
  edit_cc_->setText(Qs(f.cc));
  edit_bcc_->setText(Qs(f.bcc));
  edit_reply_to_->setText(Qs(f.reply_to));
  edit_title_->setText(Qs(f.title));
  memo_honbun_->setPlainText(Qs(f.body));
  if (!f.kankei.empty()) combo_kankei_->setCurrentText(Qs(f.kankei));
  if (!f.shubetsu.empty()) combo_shubetsu_->setCurrentText(Qs(f.shubetsu));
}

void TFormNewMsg::RunSend(bool draft) {
  auto& run = draft ? hooks.draft : hooks.send;
  if (!run) return;
  // One send at a time: the buttons stay off until this one has its answer.
  bt_send_->setEnabled(false);
  bt_soukou_->setEnabled(false);
  ComposeFields f = Fields();
  std::vector<std::string> status;
  const bool close_now = run(f, status);
  UpdateLabelTenpu();                 // a send that went empties the attachment list
  edit_title_->setText(Qs(f.title));  // "(No Subject)" shows where it went in
  for (const std::string& s : status) ShowStatus(Qs(s));
  bt_send_->setEnabled(true);
  bt_soukou_->setEnabled(true);
  if (close_now) close();
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
  if (hooks.show_attachments) hooks.show_attachments();
  UpdateLabelTenpu();
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

void TFormNewMsg::closeEvent(QCloseEvent* event) {
  IniStore ini = registry_.Open(kCommonKey);
  ini.WriteString("Setting", "fmKrNew.EditAtesaki", Sj(edit_atesaki_->text()));
  if (!ini.Save()) log_.Log("Cannot Write : " + PathText(ini.path()));
  PersistedWindow::closeEvent(event);
}

}  // namespace sorami
