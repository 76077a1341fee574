// The settings window's page "メール": its values round-trip through the settings file (the
// port boxes as indexes, a typed port as text), the hidden switch and its key, the receive
// button handing on the job and refusing a second press, "中止" ending a receive.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/GuiFixture.h"
#include "mail/MailFixture.h"
#include "settings/ui/MailPage.h"
#include "support/ScriptedLineSocket.h"

namespace sorami::test {
namespace {

class MailPageTest : public GuiFixture {
 protected:
  void StartPage() {
    Start();
    settei = windows->settei.get();
    settei->show();
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(settei, name); }
  QComboBox* Combo(const char* name) { return Find<QComboBox>(settei, name); }
  QCheckBox* Check(const char* name) { return Find<QCheckBox>(settei, name); }

  TFormSettei* settei = nullptr;
};

TEST_F(MailPageTest, EveryValueRoundTripsThroughTheSettingsFile) {
  StartPage();
  EXPECT_EQ(Edit("EditMailPass")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(Edit("EditSmtpPass")->echoMode(), QLineEdit::Password);

  const std::pair<const char*, QString> edits[] = {{"EditSMTP", "smtp.example.jp"},
                                                   {"EditUser", "hanako"},
                                                   {"EditSmtpPass", "send pw"},
                                                   {"EditName", "山田花子"},
                                                   {"EditAddress", "a@example.jp"},
                                                   {"EditPop", "pop.example.jp"},
                                                   {"EditPopUser", "hanako"},
                                                   {"EditMailPass", "pass word"},
                                                   {"EditTlsCaFile", "/etc/ssl/自社.pem"}};
  for (const auto& [name, text] : edits) Edit(name)->setText(text);
  Combo("ComboSMTP")->setCurrentIndex(2);  // "587"
  Combo("CbSMTPTls")->setCurrentIndex(3);
  Combo("ComboPop")->setEditText(QStringLiteral("10110"));  // typed: not in the list
  Combo("CbPopTls")->setCurrentIndex(2);
  Check("CkNokosu")->setChecked(true);
  Check("CkPop")->setChecked(false);
  Check("CkServer")->setChecked(true);  // kept whether shown or not
  Find<QPushButton>(settei, "Button1")->click();

  // A port from the list is kept as its index, a typed one as text.
  const IniStore ini = Stored(kCommonKey);
  EXPECT_EQ(ini.ReadInteger("Setting", "fmKairoSettei.CbSMTP", -1), 2);
  EXPECT_EQ(ini.ReadString("Setting", "fmKairoSettei.SMTPPort", "x"), "");
  EXPECT_EQ(ini.ReadInteger("Setting", "fmKairoSettei.CbPop", -1), 0);
  EXPECT_EQ(ini.ReadString("Setting", "fmKairoSettei.PopPort", ""), "10110");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairoSettei.EdSmtpPass", ""), "send pw");

  EndRun();
  StartPage();
  for (const auto& [name, text] : edits) EXPECT_EQ(Edit(name)->text(), text) << name;
  EXPECT_EQ(Combo("ComboSMTP")->currentText(), QStringLiteral("587"));
  EXPECT_EQ(Combo("CbSMTPTls")->currentText(), QStringLiteral("SSL/TLS"));
  EXPECT_EQ(Combo("ComboPop")->currentText(), QStringLiteral("10110"));
  EXPECT_EQ(Combo("CbPopTls")->currentText(), QStringLiteral("STARTTLS"));
  EXPECT_TRUE(Check("CkNokosu")->isChecked());
  EXPECT_FALSE(Check("CkPop")->isChecked());
  EXPECT_TRUE(Check("CkServer")->isChecked());

  // Choosing a list entry again drops the typed port.
  Combo("ComboPop")->setCurrentIndex(1);
  EXPECT_EQ(st->settei.v.pop_port_index, 1);
  EXPECT_EQ(st->settei.v.pop_port_text, "");
}

TEST_F(MailPageTest, TheFunctionKeyInTheSendHostBoxShowsAndHidesTheSiteSwitch) {
  StartPage();
  auto* host = Edit("EditSMTP");
  auto* server = Check("CkServer");
  Key(host, MailPage::kServerToggleKey);
  EXPECT_FALSE(server->isHidden());
  Key(host, MailPage::kServerToggleKey);
  EXPECT_TRUE(server->isHidden());
}

TEST_F(MailPageTest, TheReceiveButtonHandsOnTheJobAndRefusesASecondPressWhileRunning) {
  StartPage();
  MailPage& page = settei->mail_page();
  auto* button = Find<QPushButton>(settei, "BtJushin");
  auto* cancel = Find<QPushButton>(settei, "BtCancel");
  Edit("EditPop")->setText(QStringLiteral("pop.example.jp"));
  Edit("EditPopUser")->setText(QStringLiteral("taro"));
  Edit("EditMailPass")->setText(QStringLiteral("pw"));
  Combo("ComboPop")->setCurrentIndex(1);
  Check("CkNokosu")->setChecked(true);
  MailReceiveJob seen;
  int runs = 0;
  bool running = false;  // the one guard of the exchanges, as the shell keeps it
  page.hooks.busy = [&] { return running; };
  page.hooks.receive = [&](const MailReceiveJob& job,
                           const std::function<void(const std::string&)>& progress) {
    running = true;
    ++runs;
    seen = job;
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(cancel->isEnabled());
    progress(J("3 件"));
    button->click();  // pressed again while receiving
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(settei->StatusText(), QStringLiteral("他の通信が終わるまでお待ちください"));
    running = false;
    return J("受信完了");
  };
  button->click();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(seen.host, "pop.example.jp");
  EXPECT_EQ(seen.user, "taro");
  EXPECT_EQ(seen.password, "pw");
  EXPECT_EQ(seen.port, 995);
  EXPECT_TRUE(seen.leave_on_server);
  EXPECT_EQ(Find<QLabel>(settei, "LabelPop")->text(), QStringLiteral("3 件"));
  EXPECT_EQ(settei->StatusText(), QStringLiteral("受信完了"));
  EXPECT_FALSE(button->isChecked());
  EXPECT_FALSE(cancel->isEnabled());

  // A port that is no number stops the receive before it starts.
  Combo("ComboPop")->setEditText(QStringLiteral("pop"));
  button->click();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(settei->StatusText(), QStringLiteral("ポート番号が正しくありません: pop"));
}

// "中止" pressed while the second mail is asked for: the receive ends at once, the first mail
// is kept and saved, and nothing is deleted on the server.
TEST_F(MailPageTest, CancelEndsTheReceiveKeepingWhatCameAndDeletingNothing) {
  struct Server : ScriptedLineSocket {
    using ScriptedLineSocket::ScriptedLineSocket;
    bool Write(std::string_view bytes, std::string& error) override {
      if (bytes.starts_with("RETR 2") && on_retr2) on_retr2();
      return ScriptedLineSocket::Write(bytes, error);
    }
    // The receive owns the connection and ends it: what the client sent is kept here.
    ~Server() override {
      if (sent_out) *sent_out = sent();
    }
    std::function<void()> on_retr2;
    std::string* sent_out = nullptr;
  };
  StartPage();
  Edit("EditPop")->setText(QStringLiteral("pop.example.jp"));
  Edit("EditPopUser")->setText(QStringLiteral("taro"));
  Edit("EditMailPass")->setText(QStringLiteral("himitsu"));
  Combo("CbPopTls")->setCurrentIndex(static_cast<int>(MailSecurity::kNone));
  bool made = false;
  std::string sent;
  st->mail.make_socket = [&] {
    auto s = std::make_unique<Server>(Login() + Stat(2) + Uidl({"a", "b"}) +
                                      Retr(1, Mail("one", "1\n")) + Retr(2, Mail("two", "2\n")) +
                                      Dele(1) + Dele(2) + Quit());
    s->on_retr2 = [this] { Find<QPushButton>(settei, "BtCancel")->click(); };
    s->sent_out = &sent;
    made = true;
    return s;
  };
  Find<QPushButton>(settei, "BtJushin")->click();
  ASSERT_TRUE(made);
  EXPECT_EQ(settei->StatusText(), QStringLiteral("受信を中止しました"));
  EXPECT_EQ(Find<QLabel>(settei, "LabelPop")->text(), QStringLiteral("中止"));
  EXPECT_NE(sent.find("RETR 1"), std::string::npos);
  EXPECT_EQ(sent.find("DELE"), std::string::npos);
  EXPECT_EQ(StoreColumn(MastCol::kTitle), (std::vector<std::string>{"one"}));
  EXPECT_FALSE(Find<QPushButton>(settei, "BtCancel")->isEnabled());
}

}  // namespace
}  // namespace sorami::test
