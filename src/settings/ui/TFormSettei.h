// The settings window (TFormSettei, caption "設定"): the accounts on the site service (page
// "アカウント設定"), the mail servers ("メール"), the system values ("System"), "HTTP", the
// account log ("送受信ログ") and the user folders ("フォルダ設定"). Created once at start, where
// it reads the persisted values and the account list and restores the current account; kept
// for the whole run. Its values live in a Settei: the controls show them and write every
// change back at once, and the core routines work on them.
#pragma once

#include <QString>
#include <functional>

#include "base/ui/PersistedWindow.h"
#include "settings/Settei.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace sorami {
class MailPage;
class UserFolderPage;
}  // namespace sorami
class QTreeWidget;

namespace sorami {

class TFormSettei : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{190, 110, 520, 420};

  // What the window asks of the main window. An empty hook does nothing.
  struct Hooks {
    // "単独取得": fetches new messages for one account row; gives the status text.
    std::function<QString(int row)> fetch_row;
    // A row was made the current account: the main window's account boxes follow.
    std::function<void()> show_current_account;
    // Whether the main window's debug switch is armed: the System and HTTP pages show only
    // then.
    std::function<bool()> debug_armed;
    // "接続確認": tests the current account (the settings are saved when it is valid); gives
    // the message for the status bar. Without it the button does nothing.
    std::function<bool(std::string& msg)> check_account;
  };

  TFormSettei(Settei& settei, SetteiStore where, QWidget* parent = nullptr);
  ~TFormSettei() override;

  Hooks hooks;
  // "フォルダ設定": its "反映する" is wired to the folder tree by the owner.
  UserFolderPage& folder_page() { return *folder_page_; }
  // "メール": its receive button is wired to the mail receive by the owner.
  MailPage& mail_page() { return *mail_page_; }

  // Shows the values again after a routine outside the window changed them (a connection
  // check, a moved dynamic host).
  void ShowValues();
  // Saves every persisted value and the account list (SetteiHozon); logs a failure.
  bool Hozon();
  void SetStatus(const QString& text);
  QString StatusText() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Pages (TFormSetteiAccount.cpp, TFormSetteiPages.cpp).
  QWidget* BuildAccountPage();
  QWidget* BuildSystemPage();
  QWidget* BuildHttpPage();
  QWidget* BuildLogPage();
  void FollowAccountLog();

  // Copying the values into the controls.
  void ShowFields();
  void ShowList();
  void KeepGeometry();

  // Handlers of the account page.
  void ListUClick();
  void BtKakuninClick();
  void BtTourokuClick();
  void Button6Click();
  void Button7Click();
  void BtSingleClick();
  // Handlers of the System page.
  void BtResetClick();
  void Button3Click();

  Settei& s_;
  SetteiStore where_;
  QTabWidget* pages_ = nullptr;
  UserFolderPage* folder_page_ = nullptr;
  MailPage* mail_page_ = nullptr;
  QWidget* page_system_ = nullptr;
  QWidget* page_http_ = nullptr;
  QLabel* status_ = nullptr;

  // "アカウント設定"
  QTreeWidget* list_u_ = nullptr;
  QLineEdit* edit_kairo_ = nullptr;
  QLineEdit* edit_account_ = nullptr;
  QLineEdit* edit_password_ = nullptr;
  QLabel* label_host_ = nullptr;
  QLabel* label_sys_user_ = nullptr;
  QLabel* label_url_ = nullptr;
  QLabel* label_dynamic_ = nullptr;
  QLabel* label_jikoku_ = nullptr;
  QCheckBox* ck_yuukou_ = nullptr;
  QPushButton* bt_kakunin_ = nullptr;
  QPushButton* bt_touroku_ = nullptr;
  QPushButton* button6_ = nullptr;
  QPushButton* button7_ = nullptr;
  QPushButton* bt_single_ = nullptr;

  // "System"
  QLineEdit* edit_server_ = nullptr;
  QCheckBox* ck_angouka_ = nullptr;
  QLabel* label_koukai_server_ = nullptr;

  // "送受信ログ"
  QPlainTextEdit* memo_ac_log_ = nullptr;
};

}  // namespace sorami
