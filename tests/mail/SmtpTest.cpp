// The SMTP dialogue against scripted servers (tests/data/dialogues/smtp-*.txt), for what the
// real server cannot be made to do: leave out STARTTLS, refuse a recipient or the data; one
// refused recipient is named while the others still get the message once.
#include <gtest/gtest.h>

#include "mail/smtp/TVexSMTP.h"
#include "platform/Codepage.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using test::ScriptedLineSocket;

struct Recorder : SmtpEvents {
  void OnSendProgress(int percent) override { progress.push_back(percent); }
  std::vector<int> progress;
};

SmtpServer Server(MailSecurity security, int port, std::string user = "",
                  std::string password = "") {
  SmtpServer s;
  s.host = "mail.example.jp";
  s.port = port;
  s.plan = PlanConnection(security, port);
  s.user = std::move(user);
  s.password = std::move(password);
  s.local_name = "client.local";
  return s;
}

const std::string kText = "Subject: dots\r\n\r\n.\r\n.hidden\r\n..\r\nend\r\n";

TEST(SmtpDialogue, RequiredStartTlsThatIsNotOfferedSendsNothingInTheClear) {
  auto socket = ScriptedLineSocket::FromFile("smtp-no-starttls.txt");
  TVexSMTP smtp(*socket);
  EXPECT_FALSE(smtp.Connect(Server(MailSecurity::kStartTls, 25, "taro", "secret")));
  EXPECT_TRUE(socket->Finished());  // no AUTH, no MAIL
  EXPECT_EQ(smtp.failure(), "サーバーが STARTTLS に対応していません"_cp932);
}

TEST(SmtpDialogue, AMessageRefusedAfterItsDataIsAFailure) {
  auto socket = ScriptedLineSocket::FromFile("smtp-data-refused.txt");
  TVexSMTP smtp(*socket);
  ASSERT_TRUE(smtp.Connect(Server(MailSecurity::kNone, 25)));
  EXPECT_FALSE(smtp.SendText("hanako@example.jp", {{"taro@example.jp"}}, kText));
  EXPECT_TRUE(smtp.error());
  EXPECT_FALSE(smtp.connected());
  EXPECT_TRUE(socket->Finished());
  smtp.Quit();  // the connection is gone: no QUIT on it
  EXPECT_TRUE(socket->Finished());
}

// A server that never ends its reply ("250-" after "250-") is cut off, not read forever.
TEST(SmtpDialogue, AReplyThatDoesNotEndIsAFailureNotAnEndlessRead) {
  std::string script = "S: 220 ok\nC: EHLO client.local\n";
  for (size_t i = 0; i <= TVexSMTP::kMaxReplyLines; ++i) script += "S: 250-SIZE 1000\n";
  script += "S: 250 ok\n";
  ScriptedLineSocket socket(script);
  TVexSMTP smtp(socket);
  EXPECT_FALSE(smtp.Connect(Server(MailSecurity::kNone, 25, "taro", "secret")));
  EXPECT_EQ(smtp.failure(), "サーバーの応答が長すぎます"_cp932);
  EXPECT_FALSE(smtp.connected());
  EXPECT_FALSE(socket.Finished());  // the rest of the reply was never read
}

TEST(SmtpDialogue, ProgressComesEveryFewPercentNotPerLine) {
  std::string text, script =
                        "S: 220 ok\nC: HELO client.local\nS: 250 ok\n"
                        "C: MAIL FROM:<a@b.jp>\nS: 250 ok\nC: RCPT TO:<c@d.jp>\nS: 250 ok\n"
                        "C: DATA\nS: 354 go\n";
  for (int i = 0; i < 40000; ++i) {
    const std::string line = "line " + std::to_string(i) + " of a long body";
    text += line + "\r\n";
    script += "C: " + line + "\n";
  }
  script += "C:\nC: .\nS: 250 ok\n";
  ScriptedLineSocket socket(script);
  Recorder events;
  TVexSMTP smtp(socket, &events);
  ASSERT_TRUE(smtp.Connect(Server(MailSecurity::kNone, 25)));
  ASSERT_TRUE(smtp.SendText("a@b.jp", {{"c@d.jp"}}, text)) << smtp.failure();
  EXPECT_TRUE(socket.Finished());
  ASSERT_GE(events.progress.size(), 5u);
  EXPECT_LE(events.progress.size(), 22u);
  for (size_t i = 1; i + 1 < events.progress.size(); ++i) {
    EXPECT_GT(events.progress[i], events.progress[i - 1]);
  }
  EXPECT_EQ(events.progress.back(), 100);
}

TEST(SmtpDialogue, ARefusedCcIsNamedAndTheOthersStillGetTheMessageOnce) {
  auto socket = ScriptedLineSocket::FromFile("smtp-cc-refused.txt");
  TVexSMTP smtp(*socket);
  ASSERT_TRUE(smtp.Connect(Server(MailSecurity::kNone, 25)));
  // The To address again in Bcc is asked for once.
  ASSERT_TRUE(smtp.SendText(
      "hanako@example.jp",
      {{"taro@example.jp"}, {"nobody@example.jp"}, {"secret@example.jp", "taro@example.jp"}},
      kText))
      << smtp.failure();
  smtp.Quit();
  EXPECT_TRUE(socket->Finished());
  EXPECT_EQ(smtp.accepted(), (std::vector<std::string>{"taro@example.jp", "secret@example.jp"}));
  ASSERT_EQ(smtp.refused().size(), 1u);
  EXPECT_EQ(smtp.refused()[0].address, "nobody@example.jp");
  EXPECT_EQ(smtp.refused()[0].reply, "550 5.1.1 <nobody@example.jp>: Recipient address rejected");
}

TEST(SmtpDialogue, EveryRecipientRefusedSendsNoDataAndNamesEachOne) {
  auto socket = ScriptedLineSocket::FromFile("smtp-all-refused.txt");
  TVexSMTP smtp(*socket);
  ASSERT_TRUE(smtp.Connect(Server(MailSecurity::kNone, 25)));
  EXPECT_FALSE(
      smtp.SendText("hanako@example.jp", {{"nobody@example.jp"}, {"gone@example.jp"}}, kText));
  EXPECT_TRUE(socket->Finished());  // no DATA
  EXPECT_EQ(smtp.failure(), "宛先が拒否されました"_cp932 +
                                " <nobody@example.jp> 550 5.1.1 no such user"
                                " <gone@example.jp> 450 4.2.1 mailbox busy");
}

}  // namespace
}  // namespace sorami
