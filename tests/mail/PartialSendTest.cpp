// A message to several recipients goes in one transaction: a refused recipient is named and
// the others still get it, once; the command line says so with exit status 3 and files the
// sent copy with the recipients it reached; it names the characters that become "〓".
#include <gtest/gtest.h>

#include "mail/MailServers.h"
#include "mail/smtp/TVexSMTP.h"
#include "platform/Codepage.h"
#include "platform/IniStore.h"
#include "support/Cli.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using test::ScriptedLineSocket;

SmtpServer Plain() {
  SmtpServer s;
  s.host = "mail.example.jp";
  s.plan = PlanConnection(MailSecurity::kNone, 25);
  s.local_name = "client.local";
  return s;
}

const std::string kText = "Subject: dots\r\n\r\n.\r\n.hidden\r\n..\r\nend\r\n";

TEST(PartialSend, ARefusedCcIsNamedAndTheOthersStillGetTheMessageOnce) {
  auto socket = ScriptedLineSocket::FromFile("smtp-cc-refused.txt");
  TVexSMTP smtp(*socket);
  ASSERT_TRUE(smtp.Connect(Plain()));
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

TEST(PartialSend, EveryRecipientRefusedSendsNoDataAndNamesEachOne) {
  auto socket = ScriptedLineSocket::FromFile("smtp-all-refused.txt");
  TVexSMTP smtp(*socket);
  ASSERT_TRUE(smtp.Connect(Plain()));
  EXPECT_FALSE(
      smtp.SendText("hanako@example.jp", {{"nobody@example.jp"}, {"gone@example.jp"}}, kText));
  EXPECT_TRUE(socket->Finished());  // no DATA
  EXPECT_EQ(smtp.failure(), "宛先が拒否されました"_cp932 +
                                " <nobody@example.jp> 550 5.1.1 no such user"
                                " <gone@example.jp> 450 4.2.1 mailbox busy");
}

TEST(PartialSend, TheCommandLineExitsThreeAndFilesWhatWasDelivered) {
  if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI not set";
  test::ScratchDir dir;
  test::SmtpSink sink(dir / "sink", {"--refuse", "cc@example.jp"});
  ASSERT_NE(sink.port(), 0);
  {
    IniStore ini = Registry(dir / "config").Open(kCommonKey);
    ini.WriteString("Setting", "fmKairoSettei.EdSMTP", "127.0.0.1");
    ini.WriteString("Setting", "fmKairoSettei.EdAddress", "hanako@example.jp");
    ini.WriteString("Setting", "fmKairoSettei.SMTPPort", std::to_string(sink.port()));
    ini.WriteInteger("Setting", "fmKairoSettei.CbSMTPTls", 1);  // "なし"
    ASSERT_TRUE(ini.Save());
  }
  int status = -1;
  std::string err;
  test::RunCli("send --to taro@example.jp --cc cc@example.jp --bcc b@example.jp --title t --body x",
               dir / "app", dir / "config", status, &err);
  EXPECT_EQ(status, 3) << err;
  EXPECT_NE(err.find("一部送信失敗 : 届かなかった宛先 <cc@example.jp> 550"), std::string::npos)
      << err;
  ASSERT_EQ(sink.Messages().size(), 1u);  // one transaction, delivered once
  EXPECT_NE(sink.Envelopes().find("\"rcpt_tos\": [\"taro@example.jp\", \"b@example.jp\"]"),
            std::string::npos)
      << sink.Envelopes();
  EXPECT_EQ(test::ReadFileBytes(sink.Messages()[0]).find("b@example.jp"), std::string::npos);

  const std::string shown = test::RunCli("show 0", dir / "app", dir / "config", status);
  EXPECT_NE(shown.find("taro@example.jp"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("cc@example.jp"), std::string::npos) << shown;

  // A character the code page cannot hold is named on stderr.
  test::RunCli("mail send --to taro@example.jp --cc cc@example.jp --title '乾杯🎉' --body x",
               dir / "app", dir / "config", status, &err);
  EXPECT_EQ(status, 3) << err;
  EXPECT_TRUE(err.starts_with("この文字は送れないため〓になります : 🎉\n")) << err;
  EXPECT_EQ(sink.Messages().size(), 2u);
}

}  // namespace
}  // namespace sorami
