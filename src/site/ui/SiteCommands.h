// The site commands of the main window: the group "カイロ設定" (site name, nickname and
// password boxes, "接続確認"), the last check time and "サイトに残す", and the fetch of new
// messages run by "最新取得(&G)", by the polling timer and by the settings window's "単独取得".
// One site request runs at a time: one started while another waits is refused with a text
// in the status bar.
//
// It makes its controls and the window places them. The requests themselves join the account
// list and the store, so they come through hooks, as does what the window shows afterwards.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "site/Fetch.h"
#include "site/SiteSession.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace sorami {

class SiteCommands : public QObject {
  Q_OBJECT

 public:
  // Each hook is optional: an empty hook does nothing.
  struct Hooks {
    // Fetches new messages for one account row (-1: every enabled row); status gets the
    // status line.
    std::function<FetchOutcome(int row, std::string& status)> fetch;
    // The connection check with the texts of the three boxes; status gets the status line.
    // False when it was refused, having done nothing.
    std::function<bool(const std::string& site, const std::string& nick,
                       const std::string& pass_box, std::string& status)>
        check;
    // New messages came: the inbox is listed.
    std::function<void()> show_inbox;
    // A fetch ran (after its outcome is shown): a moved dynamic host may have changed rows of
    // the account list.
    std::function<void()> fetched;
    // The mail step of "最新取得(&G)": receives Internet mail when mail receive is enabled;
    // true when new mail was stored. status gets the main status line (left empty: the
    // line stays as the site fetch left it).
    std::function<bool(std::string& status)> receive_mail;
    // Puts a text in the window's status bar.
    std::function<void(const QString& text)> set_status;
  };

  // password_mask: what the password box shows instead of the stored password.
  SiteCommands(SiteSession& ss, QString password_mask, QWidget* parent);

  Hooks hooks;

  // The controls, for the window to place.
  QGroupBox* account_group() const { return group_kairo_; }
  QLabel* last_check_label() const { return label_jikoku_; }
  QCheckBox* leave_on_site_box() const { return ck_nokosu_; }
  // The site-name box, where the window watches for the keys of its debug switch.
  QLineEdit* site_name_box() const { return ed_site_; }

  // The boxes show an account, the password as the mask.
  void ShowAccount(const QString& site, const QString& nick);
  QString LastCheck() const;
  void SetLastCheck(const QString& text);
  bool LeaveOnSite() const;
  // "サイトに残す" decides between "GET" and "GETDEL" for every fetch.
  void SetLeaveOnSite(bool on);

  // "最新取得(&G)" and the timer: every enabled account, then Internet mail.
  void BtGetClick();
  // Fetches for one account row (-1: every enabled row) and shows the outcome; status gets the
  // status line. False when the fetch was refused.
  bool Fetch(int row, std::string& status);
  // "接続確認".
  void BtSetsuzokuClick();

 private:
  void SetStatus(const QString& text);

  SiteSession& ss_;
  QString password_mask_;
  QGroupBox* group_kairo_ = nullptr;
  QLineEdit* ed_site_ = nullptr;
  QLineEdit* ed_nick_ = nullptr;
  QLineEdit* ed_pass_ = nullptr;
  QPushButton* bt_setsuzoku_ = nullptr;
  QLabel* label_jikoku_ = nullptr;
  QCheckBox* ck_nokosu_ = nullptr;
};

}  // namespace sorami
