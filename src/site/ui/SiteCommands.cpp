#include "site/ui/SiteCommands.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "base/ui/Named.h"
#include "base/ui/ProductText.h"
#include "base/ui/QtText.h"

namespace sorami {

SiteCommands::SiteCommands(SiteSession& ss, QString password_mask, QWidget* parent)
    : QObject(parent), ss_(ss), password_mask_(std::move(password_mask)) {
  group_kairo_ = Named(new QGroupBox(QStringLiteral("カイロ設定")), "GroupKairo");
  ed_site_ = Named(new QLineEdit(group_kairo_), "EdSiteName");
  ed_nick_ = Named(new QLineEdit(group_kairo_), "EdNickname");
  ed_pass_ = Named(new QLineEdit(group_kairo_), "EdPassword");
  ed_pass_->setEchoMode(QLineEdit::Password);
  bt_setsuzoku_ = Named(new QPushButton(QStringLiteral("接続確認"), group_kairo_), "BtSetsuzoku");
  auto* form = new QFormLayout(group_kairo_);
  form->addRow(QStringLiteral("サイト名"), ed_site_);
  form->addRow(QStringLiteral("ニックネーム"), ed_nick_);
  form->addRow(QStringLiteral("パスワード"), ed_pass_);
  form->addRow(bt_setsuzoku_);
  label_jikoku_ = Named(new QLabel, "LabelJikoku");
  ck_nokosu_ = Named(new QCheckBox(QStringLiteral("サイトに残す")), "CkNokosu");

  connect(bt_setsuzoku_, &QPushButton::clicked, this, [this] { BtSetsuzokuClick(); });
  ss_.leave_on_site = ck_nokosu_->isChecked();
  connect(ck_nokosu_, &QCheckBox::toggled, this, [this](bool on) { ss_.leave_on_site = on; });
}

void SiteCommands::ShowAccount(const QString& site, const QString& nick) {
  ed_site_->setText(site);
  ed_nick_->setText(nick);
  ed_pass_->setText(password_mask_);
}

QString SiteCommands::LastCheck() const { return label_jikoku_->text(); }

void SiteCommands::SetLastCheck(const QString& text) { label_jikoku_->setText(text); }

bool SiteCommands::LeaveOnSite() const { return ck_nokosu_->isChecked(); }

void SiteCommands::SetLeaveOnSite(bool on) { ck_nokosu_->setChecked(on); }

void SiteCommands::SetStatus(const QString& text) {
  if (hooks.set_status) hooks.set_status(text);
}

void SiteCommands::BtGetClick() {
  std::string status;
  Fetch(-1, status);
  if (hooks.receive_mail) {
    std::string mail_status;
    const bool new_mail = hooks.receive_mail(mail_status);
    if (new_mail && hooks.show_inbox) hooks.show_inbox();
    if (!mail_status.empty()) SetStatus(Qs(mail_status));
  }
}

bool SiteCommands::Fetch(int row, std::string& status) {
  if (!hooks.fetch) return false;
  const FetchOutcome out = hooks.fetch(row, status);
  if (out.refused) {
    SetStatus(Qs(status));
    return false;
  }
  label_jikoku_->setText(Qs(out.checked_at));
  if (out.any_new && hooks.show_inbox) hooks.show_inbox();
  SetStatus(Qs(status));
  if (out.save_failed) {
    // Not only in the status bar, which the next fetch overwrites: what came is not on disk.
    auto* box = new QMessageBox(QMessageBox::Warning, ProductTitle(), Qs(out.save_msg),
                                QMessageBox::Ok, qobject_cast<QWidget*>(parent()));
    box->setObjectName(QStringLiteral("SaveFailed"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }
  if (hooks.fetched) hooks.fetched();
  return true;
}

void SiteCommands::BtSetsuzokuClick() {
  if (!hooks.check) return;
  std::string status;
  if (!hooks.check(Sj(ed_site_->text()), Sj(ed_nick_->text()), Sj(ed_pass_->text()), status)) {
    SetStatus(Qs(status));  // the boxes keep what was typed, to try again
    return;
  }
  SetStatus(Qs(status));
  ed_pass_->setText(password_mask_);
}

}  // namespace sorami
