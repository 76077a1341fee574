// The settings window's page "メール": the SMTP server and sender ("メール送信（ＳＭＴＰ）設定")
// and the receive server and login ("メール受信（ＰＯＰ３）設定": POP3 or IMAP by "受信方式",
// the IMAP folders read) with the receive button. The
// controls show the settings values and write every change back at once, so a send or a
// receive uses what the boxes show, saved or not.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "settings/MailSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sorami {

class MailPage : public QWidget {
  Q_OBJECT

 public:
  // The key that, pressed in "送信ホスト", shows or hides "サーバー経由送信".
  static constexpr int kServerToggleKey = Qt::Key_F12;

  struct Hooks {
    // "受信": runs the receive with the job, showing its progress through `progress` (the
    // "受信件数" label); gives the status text. Without it the button does nothing.
    std::function<std::string(const MailReceiveJob& job,
                              const std::function<void(const std::string&)>& progress)>
        receive;
    // The settings window's status bar.
    std::function<void(const QString&)> status;
    // Whether an exchange with a server (this receive among them) is running now.
    std::function<bool()> busy;
    // "中止": ends the running receive.
    std::function<void()> cancel;
  };

  explicit MailPage(SetteiValues& values, QWidget* parent = nullptr);

  Hooks hooks;
  // Shows the values again (after they were read).
  void ShowValues();
  void BtJushinClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildSmtpGroup();
  QWidget* BuildPopGroup();
  void Status(const QString& text);

  SetteiValues& v_;
  QLineEdit *edit_smtp_ = nullptr, *edit_user_ = nullptr, *edit_name_ = nullptr,
            *edit_address_ = nullptr, *edit_pop_ = nullptr, *edit_pop_user_ = nullptr,
            *edit_mail_pass_ = nullptr, *edit_smtp_pass_ = nullptr, *edit_ca_file_ = nullptr,
            *edit_imap_folders_ = nullptr;
  QComboBox *combo_smtp_ = nullptr, *combo_pop_ = nullptr, *cb_smtp_tls_ = nullptr,
            *cb_pop_tls_ = nullptr, *cb_protocol_ = nullptr;
  QCheckBox *ck_server_ = nullptr, *ck_nokosu_ = nullptr, *ck_pop_ = nullptr;
  QPushButton *bt_jushin_ = nullptr, *bt_cancel_ = nullptr;
  QLabel* label_pop_ = nullptr;
};

}  // namespace sorami
