#include <gtest/gtest.h>

#include "mail/MailFixture.h"
#include "shell/MailReceive.h"
#include "support/AppFixture.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using namespace test;

TEST(PopConfigFromSettei, TheStoredMailSettingsMakeTheReceiveJob) {
  SetteiValues v;
  v.pop_host = "pop.example.jp";
  v.pop_user = "taro";
  v.pop_password = "himitsu";
  v.leave_mail_on_server = true;
  v.pop_port_index = 1;
  v.tls_ca_file = "/etc/ca.pem";
  PopConfig c;
  std::string msg;
  ASSERT_TRUE(PopConfigFromSettei(v, c, msg));
  EXPECT_EQ(c.host, "pop.example.jp");
  EXPECT_EQ(c.user, "taro");
  EXPECT_EQ(c.password, "himitsu");
  EXPECT_TRUE(c.leave_on_server);
  EXPECT_EQ(c.port, 995);
  EXPECT_EQ(c.security, MailSecurity::kAuto);  // so 995 is TLS from the first byte
  EXPECT_EQ(c.ca_file, "/etc/ca.pem");
  v.pop_port_index = 7;  // a damaged setting
  ASSERT_TRUE(PopConfigFromSettei(v, c, msg));
  EXPECT_EQ(c.port, 110);
  v.pop_port_text = "2110";  // a typed port wins over the index
  v.pop_tls_index = 2;
  ASSERT_TRUE(PopConfigFromSettei(v, c, msg));
  EXPECT_EQ(c.port, 2110);
  EXPECT_EQ(c.security, MailSecurity::kStartTls);
  v.pop_port_text = "pop";
  EXPECT_FALSE(PopConfigFromSettei(v, c, msg));
  EXPECT_NE(msg, "");
}

class MailReceiveTest : public AppTest {
 protected:
  void Script(std::string script) {
    st->mail.make_socket = [script] { return std::make_unique<ScriptedLineSocket>(script); };
  }
};

TEST_F(MailReceiveTest, NewMailIsSavedAndTheStatusLineIsTheFolderSummary) {
  st->settei.v.pop_host = "pop.example.jp";
  st->settei.v.pop_user = "taro";
  st->settei.v.pop_password = "himitsu";
  // "自動" on port 110 asks for the capabilities first.
  const std::string capa = "C: CAPA\nS: +OK\nS: UIDL\nS: .\n";
  const std::string login = "S: +OK\n" + capa + "C: USER taro\nS: +OK\nC: PASS himitsu\nS: +OK\n";
  Script(login + Stat(2) + Uidl({"a", "b"}) + Retr(1, Mail("one", "1\n")) +
         Retr(2, Mail("two", "2\n")) + Dele(1) + Dele(2) + Quit());
  const MailReceiveReport out = ReceiveStoredMail(*st);
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_EQ(out.stored, 2);
  EXPECT_TRUE(out.bar.starts_with(" 受信箱 : 2 件"_cp932)) << Cp932ToUtf8(out.bar);
  EXPECT_EQ(st->folder_counts[1], 2);
  EXPECT_TRUE(Has("Master.dat"));
  EXPECT_EQ(st->aclog.lines().size(), 1u);

  // Nothing new: the mailbox is empty now.
  Script(login + Stat(0) + Quit());
  const MailReceiveReport none = ReceiveStoredMail(*st);
  EXPECT_TRUE(none.ok);
  EXPECT_EQ(none.bar, "新着メール無し"_cp932);
  EXPECT_EQ(st->store.CtMaster(), 2);
}

}  // namespace
}  // namespace sorami
