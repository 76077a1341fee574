#include "settings/ui/MailPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"

namespace sorami {

namespace {

QLineEdit* TextBox(QWidget* parent, const char* name, std::string& field) {
  auto* edit = Named(new QLineEdit(parent), name);
  QObject::connect(edit, &QLineEdit::textChanged, edit,
                   [&field](const QString& t) { field = Sj(t); });
  return edit;
}

QCheckBox* Switch(QWidget* parent, const QString& label, const char* name, bool& field) {
  auto* box = Named(new QCheckBox(label, parent), name);
  QObject::connect(box, &QCheckBox::toggled, box, [&field](bool on) { field = on; });
  return box;
}

// An editable port box: a list entry is kept as its index, any other text as typed.
QComboBox* PortBox(QWidget* parent, const char* name, const std::vector<std::string>& list,
                   long& index, std::string& typed) {
  auto* box = Named(new QComboBox(parent), name);
  box->setEditable(true);
  for (const std::string& port : list) box->addItem(Qs(port));
  QObject::connect(
      box, &QComboBox::currentTextChanged, box,
      [&list, &index, &typed](const QString& t) { SetPortBox(Sj(t), list, index, typed); });
  return box;
}

QComboBox* SecurityBox(QWidget* parent, const char* name, long& index) {
  auto* box = Named(new QComboBox(parent), name);
  for (const std::string& choice : SecurityList()) box->addItem(Qs(choice));
  QObject::connect(box, &QComboBox::currentIndexChanged, box,
                   [&index](int i) { index = i < 0 ? 0 : i; });
  return box;
}

void ShowPort(QComboBox* box, long index, const std::string& typed,
              const std::vector<std::string>& list) {
  const QSignalBlocker quiet(box);
  if (index >= 0 && index < box->count()) box->setCurrentIndex(static_cast<int>(index));
  box->setEditText(Qs(PortBoxText(index, typed, list)));
}

void ShowText(QLineEdit* edit, const std::string& cp932) {
  const QSignalBlocker quiet(edit);
  edit->setText(Qs(cp932));
}

void ShowSwitch(QCheckBox* box, bool on) {
  const QSignalBlocker quiet(box);
  box->setChecked(on);
}

}  // namespace

MailPage::MailPage(SetteiValues& values, QWidget* parent) : QWidget(parent), v_(values) {
  setObjectName(QStringLiteral("TabMail"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildSmtpGroup());
  layout->addWidget(BuildPopGroup());
  auto* ca = new QFormLayout;
  edit_ca_file_ = TextBox(this, "EditTlsCaFile", v_.tls_ca_file);
  ca->addRow(QStringLiteral("追加の証明書(PEM)"), edit_ca_file_);
  layout->addLayout(ca);
  layout->addStretch();
  ShowValues();
}

QWidget* MailPage::BuildSmtpGroup() {
  auto* group =
      Named(new QGroupBox(QStringLiteral("メール送信（ＳＭＴＰ）設定"), this), "GroupSMTP");
  edit_smtp_ = TextBox(group, "EditSMTP", v_.smtp_host);
  edit_smtp_->installEventFilter(this);
  edit_user_ = TextBox(group, "EditUser", v_.smtp_user);
  edit_smtp_pass_ = TextBox(group, "EditSmtpPass", v_.smtp_password);
  edit_smtp_pass_->setEchoMode(QLineEdit::Password);
  edit_smtp_pass_->setPlaceholderText(QStringLiteral("空欄: 受信のパスワード"));
  edit_name_ = TextBox(group, "EditName", v_.mail_name);
  edit_address_ = TextBox(group, "EditAddress", v_.mail_address);
  combo_smtp_ = PortBox(group, "ComboSMTP", SmtpPortList(), v_.smtp_port_index, v_.smtp_port_text);
  cb_smtp_tls_ = SecurityBox(group, "CbSMTPTls", v_.smtp_tls_index);
  ck_server_ = Switch(group, QStringLiteral("サーバー経由送信"), "CkServer", v_.send_through_site);
  ck_server_->setVisible(false);  // shown by the function key only

  auto* form = new QFormLayout(group);
  form->addRow(QStringLiteral("送信ホスト"), edit_smtp_);
  form->addRow(QStringLiteral("アカウント"), edit_user_);
  form->addRow(QStringLiteral("パスワード"), edit_smtp_pass_);
  form->addRow(QStringLiteral("氏名"), edit_name_);
  form->addRow(QStringLiteral("アドレス"), edit_address_);
  form->addRow(QStringLiteral("ポート番号"), combo_smtp_);
  form->addRow(QStringLiteral("接続の保護"), cb_smtp_tls_);
  form->addRow(ck_server_);
  return group;
}

QWidget* MailPage::BuildPopGroup() {
  auto* group =
      Named(new QGroupBox(QStringLiteral("メール受信（ＰＯＰ３）設定"), this), "GroupPOP");
  edit_pop_ = TextBox(group, "EditPop", v_.pop_host);
  edit_pop_user_ = TextBox(group, "EditPopUser", v_.pop_user);
  edit_mail_pass_ = TextBox(group, "EditMailPass", v_.pop_password);
  edit_mail_pass_->setEchoMode(QLineEdit::Password);
  combo_pop_ = PortBox(group, "ComboPop", PopPortList(), v_.pop_port_index, v_.pop_port_text);
  cb_pop_tls_ = SecurityBox(group, "CbPopTls", v_.pop_tls_index);
  cb_protocol_ = Named(new QComboBox(group), "CbJushinHoushiki");
  for (const std::string& name : ReceiveProtocolList()) cb_protocol_->addItem(Qs(name));
  connect(cb_protocol_, &QComboBox::currentIndexChanged, this, [this](int i) {
    v_.receive_protocol_index = i < 0 ? 0 : i;
    FollowReceiveProtocol(v_);
    ShowPort(combo_pop_, v_.pop_port_index, v_.pop_port_text, PopPortList());
    edit_imap_folders_->setEnabled(v_.receive_protocol_index == 1);
  });
  edit_imap_folders_ = TextBox(group, "EditImapFolders", v_.imap_folders);
  edit_imap_folders_->setPlaceholderText(QStringLiteral("INBOX (カンマ区切りで複数)"));
  ck_nokosu_ = Switch(group, QStringLiteral("サーバーに受信メールを残す"), "CkNokosu",
                      v_.leave_mail_on_server);
  ck_pop_ = Switch(group, QStringLiteral("有効"), "CkPop", v_.pop_enabled);
  bt_jushin_ = Named(new QPushButton(QStringLiteral("受信"), group), "BtJushin");
  bt_jushin_->setCheckable(true);  // stays pressed while receiving
  bt_cancel_ = Named(new QPushButton(QStringLiteral("中止"), group), "BtCancel");
  bt_cancel_->setEnabled(false);
  label_pop_ = Named(new QLabel(QStringLiteral("受信件数"), group), "LabelPop");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ck_pop_);
  buttons->addWidget(bt_jushin_);
  buttons->addWidget(bt_cancel_);
  buttons->addWidget(label_pop_, 1);
  auto* form = new QFormLayout(group);
  auto* server = new QHBoxLayout;
  server->addWidget(edit_pop_, 1);
  server->addWidget(new QLabel(QStringLiteral("受信方式"), group));
  server->addWidget(cb_protocol_);
  form->addRow(QStringLiteral("受信ホスト"), server);
  form->addRow(QStringLiteral("アカウント"), edit_pop_user_);
  form->addRow(QStringLiteral("パスワード"), edit_mail_pass_);
  form->addRow(QStringLiteral("ポート番号"), combo_pop_);
  form->addRow(QStringLiteral("接続の保護"), cb_pop_tls_);
  form->addRow(QStringLiteral("IMAP フォルダ"), edit_imap_folders_);
  form->addRow(ck_nokosu_);
  form->addRow(buttons);
  // The click itself toggles the button; BtJushinClick sets its state.
  connect(bt_jushin_, &QPushButton::clicked, this, [this] { BtJushinClick(); });
  connect(bt_cancel_, &QPushButton::clicked, this, [this] {
    if (hooks.cancel) hooks.cancel();
  });
  return group;
}

void MailPage::ShowValues() {
  for (auto [edit, text] : {std::pair{edit_smtp_, &v_.smtp_host},
                            {edit_user_, &v_.smtp_user},
                            {edit_smtp_pass_, &v_.smtp_password},
                            {edit_name_, &v_.mail_name},
                            {edit_address_, &v_.mail_address},
                            {edit_pop_, &v_.pop_host},
                            {edit_pop_user_, &v_.pop_user},
                            {edit_mail_pass_, &v_.pop_password},
                            {edit_ca_file_, &v_.tls_ca_file},
                            {edit_imap_folders_, &v_.imap_folders}}) {
    ShowText(edit, *text);
  }
  ShowPort(combo_smtp_, v_.smtp_port_index, v_.smtp_port_text, SmtpPortList());
  ShowPort(combo_pop_, v_.pop_port_index, v_.pop_port_text, PopPortList());
  for (auto [box, index] :
       {std::pair{cb_smtp_tls_, v_.smtp_tls_index}, {cb_pop_tls_, v_.pop_tls_index}}) {
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(static_cast<int>(MailSecurityFromIndex(index)));
  }
  {
    const QSignalBlocker quiet(cb_protocol_);
    cb_protocol_->setCurrentIndex(v_.receive_protocol_index == 1 ? 1 : 0);
  }
  edit_imap_folders_->setEnabled(v_.receive_protocol_index == 1);
  ShowSwitch(ck_server_, v_.send_through_site);
  ShowSwitch(ck_nokosu_, v_.leave_mail_on_server);
  ShowSwitch(ck_pop_, v_.pop_enabled);
}

void MailPage::Status(const QString& text) {
  if (hooks.status) hooks.status(text);
}

void MailPage::BtJushinClick() {
  if (hooks.busy && hooks.busy()) {
    // A press while this receive or another exchange runs changes nothing; the button stays
    // pressed only while this page's receive runs.
    bt_jushin_->setChecked(bt_cancel_->isEnabled());
    Status(QStringLiteral("他の通信が終わるまでお待ちください"));
    return;
  }
  bt_jushin_->setChecked(false);
  MailReceiveJob job;
  std::string msg;
  if (!MakeReceiveJob(v_, job, msg)) {
    Status(Qs(msg));
    return;
  }
  if (!hooks.receive) return;
  bt_jushin_->setChecked(true);
  bt_cancel_->setEnabled(true);
  msg = hooks.receive(job, [this](const std::string& text) { label_pop_->setText(Qs(text)); });
  bt_jushin_->setChecked(false);
  bt_cancel_->setEnabled(false);
  Status(Qs(msg));
}

bool MailPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_smtp_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == kServerToggleKey) {
    ck_server_->setVisible(ck_server_->isHidden());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace sorami
