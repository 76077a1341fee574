#include <gtest/gtest.h>

#include "mail/pop3/Pop3Client.h"
#include "platform/Codepage.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using test::ScriptedLineSocket;

Pop3Account Account(MailSecurity security = MailSecurity::kAuto, int port = 110,
                    std::string password = "himitsu") {
  Pop3Account a;
  a.host = "pop.example.jp";
  a.port = port;
  a.security = security;
  a.user = "taro";
  a.password = std::move(password);
  return a;
}

TEST(Pop3Client, RetrieveGivesTheMessageLinesDotUnstuffedWithoutStatusOrEnd) {
  auto socket = ScriptedLineSocket::FromFile("pop3-retr-dot-unstuffing.txt");
  Pop3Client client(*socket);
  std::string error, text;
  ASSERT_TRUE(client.Open(Account(), error)) << error;
  EXPECT_FALSE(socket->tls());  // CAPA listed no STLS
  int count = -1;
  ASSERT_TRUE(client.Stat(count, error)) << error;
  EXPECT_EQ(count, 1);
  ASSERT_TRUE(client.Retr(1, text, error)) << error;
  EXPECT_EQ(text, "Subject: dots\r\n\r\n.x\r\n..\r\n. two\r\nplain\r\n");
  EXPECT_TRUE(client.Quit(error)) << error;
  EXPECT_TRUE(socket->Finished());
  EXPECT_FALSE(socket->open());
}

TEST(Pop3Client, StartsTlsWhenOfferedAndRefusesToGoOnPlainWhenItIsRequired) {
  auto offered = ScriptedLineSocket::FromFile("pop3-stls-offered.txt");
  Pop3Client a(*offered);
  std::string error;
  ASSERT_TRUE(a.Open(Account(), error)) << error;
  EXPECT_TRUE(offered->tls());
  EXPECT_TRUE(offered->Finished());

  // "STARTTLS" asks at once, without CAPA; a refusal ends the dialogue before the login.
  auto refused = ScriptedLineSocket::FromFile("pop3-stls-refused.txt");
  Pop3Client b(*refused);
  EXPECT_FALSE(b.Open(Account(MailSecurity::kStartTls), error));
  EXPECT_EQ(b.failure(), Pop3Failure::kConnect);
  EXPECT_TRUE(error.starts_with("サーバーが STLS を受け付けません"_cp932)) << error;
  EXPECT_TRUE(refused->Finished());
  EXPECT_EQ(refused->sent().find("PASS"), std::string::npos);
}

TEST(Pop3Client, ConnectsAsTheSecurityBoxAndPortSay) {
  for (auto [security, port, tls] :
       {std::tuple{MailSecurity::kAuto, 995, true}, std::tuple{MailSecurity::kTls, 110, true},
        std::tuple{MailSecurity::kNone, 995, false}}) {
    ScriptedLineSocket socket("S: +OK\nC: USER taro\nS: +OK\nC: PASS himitsu\nS: +OK\n");
    Pop3Client client(socket);
    std::string error;
    Pop3Account account = Account(security, port);
    account.ca_file = "/etc/private-ca.pem";
    ASSERT_TRUE(client.Open(account, error)) << error;
    EXPECT_EQ(socket.security() == SocketSecurity::kTls, tls) << port;
    EXPECT_EQ(socket.port(), port);
    EXPECT_EQ(socket.ca_file(), "/etc/private-ca.pem");
    EXPECT_TRUE(socket.Finished());
  }
}

TEST(Pop3Client, LoginGreetingAndConnectionFailuresAreToldApart) {
  std::string error;
  auto wrong = ScriptedLineSocket::FromFile("pop3-wrong-password.txt");
  Pop3Client a(*wrong);
  EXPECT_FALSE(a.Open(Account(MailSecurity::kNone, 110, "wrong"), error));
  EXPECT_EQ(a.failure(), Pop3Failure::kLogin);
  EXPECT_EQ(error, "ログインできません : -ERR [AUTH] Authentication failed."_cp932);
  EXPECT_FALSE(wrong->open());

  auto greeting = ScriptedLineSocket::FromFile("pop3-greeting-err.txt");
  Pop3Client b(*greeting);
  EXPECT_FALSE(b.Open(Account(MailSecurity::kNone), error));
  EXPECT_EQ(b.failure(), Pop3Failure::kProtocol);
  EXPECT_NE(error.find("-ERR too many connections"), std::string::npos);

  ScriptedLineSocket unreachable("");
  unreachable.FailConnect("サーバーが接続を拒否しました"_cp932);
  Pop3Client c(unreachable);
  EXPECT_FALSE(c.Open(Account(), error));
  EXPECT_EQ(c.failure(), Pop3Failure::kConnect);
  EXPECT_EQ(error, "サーバーが接続を拒否しました"_cp932);
}

TEST(Pop3Client, AServerWithoutUidlAnswersErrAndTheDialogueGoesOn) {
  auto socket = ScriptedLineSocket::FromFile("pop3-no-uidl.txt");
  Pop3Client client(*socket);
  std::string error;
  ASSERT_TRUE(client.Open(Account(MailSecurity::kNone), error)) << error;
  int count = 0;
  ASSERT_TRUE(client.Stat(count, error));
  std::vector<std::string> ids;
  EXPECT_FALSE(client.Uidl(count, ids, error));
  EXPECT_EQ(client.failure(), Pop3Failure::kRefused);
  EXPECT_TRUE(client.Dele(2, error)) << error;
  EXPECT_TRUE(socket->Finished());
}

TEST(Pop3Client, UidlListsIdsByMessageNumberAndACutAnswerIsABrokenConnection) {
  ScriptedLineSocket socket(
      "C: UIDL\nS: +OK\nS: 2 bbb\nS: 1 aaa\nS: 9 out-of-range\nS: .\n"
      "C: RETR 1\nS: +OK\nS: Subject: half\n");
  std::string error;
  socket.Connect("h", 110, SocketSecurity::kPlain, error);
  Pop3Client client(socket);
  std::vector<std::string> ids;
  ASSERT_TRUE(client.Uidl(2, ids, error)) << error;
  EXPECT_EQ(ids, (std::vector<std::string>{"aaa", "bbb"}));
  std::string text;
  EXPECT_FALSE(client.Retr(1, text, error));
  EXPECT_EQ(client.failure(), Pop3Failure::kBroken);
  EXPECT_TRUE(error.starts_with("受信の途中で接続が切れました"_cp932));
  EXPECT_FALSE(socket.open());
}

}  // namespace
}  // namespace sorami
