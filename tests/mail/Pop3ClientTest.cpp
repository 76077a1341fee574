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

TEST(Pop3Client, RequiredStlsThatIsRefusedEndsTheDialogueBeforeTheLogin) {
  // "STARTTLS" asks at once, without CAPA.
  auto refused = ScriptedLineSocket::FromFile("pop3-stls-refused.txt");
  Pop3Client client(*refused);
  std::string error;
  EXPECT_FALSE(client.Open(Account(MailSecurity::kStartTls), error));
  EXPECT_EQ(client.failure(), Pop3Failure::kConnect);
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

TEST(Pop3Client, GreetingAndConnectionFailuresAreToldApart) {
  std::string error;
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
