// The main window's site requests: the connection check of "接続確認", and the fetch of new
// messages run by "最新取得(&G)", by the polling timer and by the settings window's
// "単独取得". One site request runs at a time: one started while another waits is refused
// with a text in the status bar.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "base/ui/QtText.h"
#include "settings/Settei.h"
#include "settings/ui/TFormSettei.h"
#include "shell/ConnectionCheck.h"
#include "shell/SiteFetch.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"
#include "store/Folders.h"

namespace sorami {

namespace {

bool NodeSelected(QTreeWidget* tree, int index) {
  int i = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it, ++i) {
    if (i == index) return (*it)->isSelected();
  }
  return false;
}

}  // namespace

void TFormMain::InstallSiteHandlers() {
  polling_->fetch = [this] { BtGetClick(); };
  hooks.setsuzoku = [this] { BtSetsuzokuClick(); };
  // "サイトに残す" decides between "GET" and "GETDEL" for every fetch.
  st_.site.leave_on_site = ck_nokosu_->isChecked();
  connect(ck_nokosu_, &QCheckBox::toggled, this, [this](bool on) { st_.site.leave_on_site = on; });
}

void TFormMain::BtGetClick() {
  const FetchReport out = SiteFetch(-1);
  // Receipts that arrived show at once when the sent folder is on screen.
  if (!out.refused && NodeSelected(tree_, FolderNode(Folder::kSent))) TreeVClick();
}

FetchReport TFormMain::SiteFetch(int row) {
  const FetchReport out = FetchNewMessages(st_, row);
  ApplyFetchOutcome(out);
  return out;
}

void TFormMain::ApplyFetchOutcome(const FetchReport& out) {
  if (out.refused) {
    SetStatus(Qs(out.status));
    return;
  }
  label_jikoku_->setText(Qs(out.checked_at));
  if (out.any_new) {
    SelectTreeNode(FolderNode(Folder::kInbox));
    TreeVClick();
    if (hooks.count_kensuu) hooks.count_kensuu();
  }
  SetStatus(Qs(out.status));
  // A moved dynamic host may have changed rows of the account list.
  if (peers_ != nullptr && peers_->settei) peers_->settei->ShowValues();
}

void TFormMain::BtSetsuzokuClick() {
  const CheckOutcome out =
      SetsuzokuKakunin(st_, Sj(ed_site_->text()), Sj(ed_nick_->text()), Sj(ed_pass_->text()));
  if (out.refused) {
    SetStatus(Qs(out.status));  // the boxes keep what was typed, to try again
    return;
  }
  if (peers_ != nullptr && peers_->settei) {
    peers_->settei->ShowValues();
    peers_->settei->SetStatus(Qs(out.msg));
  }
  SetStatus(Qs(out.status));
  ed_pass_->setText(Qs(PasswordMask()));
}

void TFormMain::ShowCurrentAccount() {
  ed_site_->setText(Qs(st_.cur.site));
  ed_nick_->setText(Qs(st_.cur.account));
  ed_pass_->setText(Qs(PasswordMask()));
}

}  // namespace sorami
