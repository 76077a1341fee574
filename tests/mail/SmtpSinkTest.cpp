// The whole send against a real SMTP server (aiosmtpd on loopback) through the Qt socket:
// STARTTLS and AUTH, the mail as stored by the server byte for byte, To, CC and Bcc in one
// transaction, a wrong password, an untrusted certificate, implicit TLS; the command line, whose
// partly refused send is exit status 3.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <regex>

#include "base/DiagLog.h"
#include "mail/MailServers.h"
#include "mail/SendMail.h"
#include "platform/Codepage.h"
#include "platform/HostName.h"
#include "platform/IniStore.h"
#include "support/Cli.h"

namespace sorami {
namespace {

using test::ScratchDir;

class SmtpSinkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("mail_tests"), nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // the socket's loops
  }
  void SetUp() override { ASSERT_TRUE(test::MakeSelfSignedCert(dir_.path())); }

  std::string Cert() const { return (dir_ / "cert.pem").string(); }
  std::string Key() const { return (dir_ / "key.pem").string(); }

  bool Send(int port, MailSecurity security, const std::string& password, bool trust,
            std::string& result) {
    SmtpConfig config;
    config.host = "127.0.0.1";
    config.port = port;
    config.security = security;
    config.user = "hanako";
    config.password = password;
    config.ca_file = trust ? PathText(Cert()) : "";
    auto make = [](const SmtpConfig& c, std::string& error) {
      auto socket = MakeQtLineSocket();
      if (!socket->SetExtraCaFile(c.ca_file, error)) socket.reset();
      return socket;
    };
    SendMailContext ctx{log_, dir_ / "Data", LocalHostName(), make, nullptr, {}, {}};
    return SendMail(mail_, config, ctx, result);
  }

  // The command line's settings: the sink on loopback without TLS.
  bool StoreSettings(int port) {
    IniStore ini = Registry(dir_ / "config").Open(kCommonKey);
    ini.WriteString("Setting", "fmKairoSettei.EdSMTP", "127.0.0.1");
    ini.WriteString("Setting", "fmKairoSettei.EdAddress", "hanako@example.jp");
    ini.WriteString("Setting", "fmKairoSettei.EdName", "送信者"_cp932);
    ini.WriteString("Setting", "fmKairoSettei.SMTPPort", std::to_string(port));
    ini.WriteInteger("Setting", "fmKairoSettei.CbSMTPTls", 1);  // "なし"
    return ini.Save();
  }

  OutgoingMail Mail() {
    std::string bytes;
    for (int i = 0; i < 58; ++i) bytes += static_cast<char>(i * 7);
    test::WriteFileBytes(dir_ / "a.bin", bytes);
    return OutgoingMail{"送信者"_cp932,
                        "hanako@example.jp",
                        "reply@example.jp",
                        "taro@example.jp、jiro@example.jp"_cp932,
                        "cc@example.jp",
                        "secret@example.jp",
                        "会議のお知らせ"_cp932,
                        "こんにちは。\r\n.\r\nC:\\path~ after\r\n"_cp932,
                        {PathText(dir_ / "a.bin")}};
  }

  ScratchDir dir_;
  DiagLog log_;
  OutgoingMail mail_ = Mail();
};

// The stored mail with its Message-Id, Date and boundary, which differ on every send, put
// in as found; the rest is fixed.
std::string Expected(const std::string& stored) {
  std::smatch id, date, boundary;
  EXPECT_TRUE(std::regex_search(stored, id,
                                std::regex("^Message-Id: (<HKW\\.\\d{4}\\.\\d{2}\\.\\d{2}\\."
                                           "[a-t]{8}@[^>]+>)\r\n")));
  EXPECT_TRUE(std::regex_search(
      stored, date,
      std::regex("\r\nDate: ([A-Z][a-z]{2}, \\d{1,2} [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d "
                 "[+-]\\d{4})\r\n")));
  EXPECT_TRUE(
      std::regex_search(stored, boundary, std::regex("boundary=\"(--_VEX_bound_[a-y]{12})\"")));
  const std::string b = boundary[1];
  return "Message-Id: " + id[1].str() + "\r\nDate: " + date[1].str() +
         "\r\n"
         "X-Priority: 3\r\n"
         "From: =?ISO-2022-JP?B?GyRCQXc/LjxUGyhK?=<hanako@example.jp>\r\n"
         "Reply-To: reply@example.jp\r\n"
         "X-Mailer: Sorami Mail Ver1.00\r\n"
         "To: taro@example.jp,jiro@example.jp\r\n"
         "CC: cc@example.jp\r\n"
         "Subject: =?ISO-2022-JP?B?GyRCMnE1RCROJCpDTiRpJDs=?=\r\n"
         "MIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed; boundary=\"" +
         b + "\"\r\n\r\n--" + b +
         "\r\n"
         "Content-Type: Text/Plain; charset=ISO-2022-JP\r\n"
         "Content-Transfer-Encoding: 7bit\r\n"
         "\r\n"
         "\x1B$B$3$s$K$A$O!#\x1B(J\r\n"
         ".\x1B(B\r\n"
         "C:\\path~ after\x1B(J\r\n--" +
         b +
         "\r\n"
         "Content-Type: application/octet-stream; name=\"a.bin\"\r\n"
         "Content-Transfer-Encoding: base64\r\n"
         "Content-Disposition: inline; FileName=\"a.bin\"\r\n"
         "\r\n"
         "AAcOFRwjKjE4P0ZNVFtiaXB3foWMk5qhqK+2vcTL0tng5+71/AMKERgfJi00O0JJUFdeZWxzeoGI\r\n"
         "jw==\r\n"
         "\r\n--" +
         b + "--\r\n\r\n\r\n";
}

TEST_F(SmtpSinkTest, StartTlsAndLoginThenOneStoredMailForAllRecipientsByteForByte) {
  test::SmtpSink sink(dir_ / "sink", {"--auth", "hanako:secret", "--starttls", Cert(), Key()});
  ASSERT_NE(sink.port(), 0);
  std::string result;
  // A wrong password and an untrusted certificate are failures with nothing sent.
  EXPECT_FALSE(Send(sink.port(), MailSecurity::kStartTls, "wrong", true, result));
  EXPECT_EQ(result.rfind("送信エラー : ログインが拒否されました: 535"_cp932, 0), 0u) << result;
  EXPECT_FALSE(Send(sink.port(), MailSecurity::kStartTls, "secret", false, result));
  EXPECT_NE(result.find("サーバーの証明書を信頼できません"_cp932), std::string::npos)
      << Cp932ToUtf8(result);
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Data" / "Send.log"));

  // "自動" on a port outside the list: STARTTLS because the server offers it.
  ASSERT_TRUE(Send(sink.port(), MailSecurity::kAuto, "secret", true, result)) << result;
  EXPECT_EQ(result, "送信完了 => "_cp932 + mail_.to + " ");

  const auto stored = sink.Messages();
  ASSERT_EQ(stored.size(), 1u);  // To, CC and Bcc in one transaction
  const std::string text = test::ReadFileBytes(stored[0]);
  EXPECT_EQ(text, Expected(text));
  EXPECT_EQ(text.find("secret@example.jp"), std::string::npos);  // Bcc in no header

  const std::string env = sink.Envelopes();
  for (const char* want : {"\"rcpt_tos\": [\"taro@example.jp\", \"jiro@example.jp\", "
                           "\"cc@example.jp\", \"secret@example.jp\"]",
                           "\"mail_from\": \"hanako@example.jp\""}) {
    EXPECT_NE(env.find(want), std::string::npos) << want << "\n" << env;
  }
  EXPECT_EQ(env.find("\"tls\": false"), std::string::npos) << env;
  EXPECT_EQ(env.find("\"auth\": null"), std::string::npos) << env;

  const std::string log = test::ReadFileBytes(dir_ / "Data" / "Send.log");
  EXPECT_NE(log.find("\ttaro@example.jp,jiro@example.jp\t" + "会議のお知らせ"_cp932 +
                     "\thanako@example.jp\r\n"),
            std::string::npos);
}

TEST_F(SmtpSinkTest, ImplicitTlsWithTheExtraCertificate) {
  test::SmtpSink sink(dir_ / "sink", {"--auth", "hanako:secret", "--smtps", Cert(), Key()});
  ASSERT_NE(sink.port(), 0);
  std::string result;
  EXPECT_FALSE(Send(sink.port(), MailSecurity::kTls, "secret", false, result));
  ASSERT_TRUE(Send(sink.port(), MailSecurity::kTls, "secret", true, result)) << result;
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_TRUE(
      test::ReadWithPython(sink.Messages()[0]).starts_with("from=送信者 <hanako@example.jp>\n"));
}

TEST_F(SmtpSinkTest, TheCommandLineSendsWithTheStoredSettings) {
  if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI not set";
  test::SmtpSink sink(dir_ / "sink", {});
  ASSERT_NE(sink.port(), 0);
  ASSERT_TRUE(StoreSettings(sink.port()));
  test::WriteFileBytes(dir_ / "body.txt", "本文です。\n.\n");
  int status = -1;
  std::string err;
  const std::string out = test::RunCli(
      "mail send --to 'taro@example.jp,,jiro@example.jp' --bcc 'b@example.jp' --title '件名 ﾃｽﾄ' "
      "--body-file '" +
          (dir_ / "body.txt").string() + "' --attach '" + (dir_ / "a.bin").string() + "'",
      dir_ / "app", dir_ / "config", status, &err);
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(out, "送信完了 => taro@example.jp,,jiro@example.jp \n");
  ASSERT_EQ(sink.Messages().size(), 1u);
  // An empty piece does not end the list: both To recipients are in the envelope.
  EXPECT_NE(sink.Envelopes().find(
                "\"rcpt_tos\": [\"taro@example.jp\", \"jiro@example.jp\", \"b@example.jp\"]"),
            std::string::npos)
      << sink.Envelopes();
  const std::string read = test::ReadWithPython(sink.Messages()[0]);
  EXPECT_NE(read.find("subject=件名 テスト\nbody=本文です。\\n.\n"), std::string::npos) << read;
  EXPECT_NE(read.find("attach=a.bin application/octet-stream"), std::string::npos) << read;

  // A failure is exit status 1 with the reason.
  test::RunCli("mail send --to 'taro@example.jp' --title t --body b --attach /nonexistent",
               dir_ / "app", dir_ / "config", status, &err);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "添付ファイルがありません: /nonexistent\n");
  test::RunCli("mail send --title t --body b", dir_ / "app", dir_ / "config", status, &err);
  EXPECT_EQ(status, 2);
}

TEST_F(SmtpSinkTest, ARefusedCcIsExitStatusThreeAndTheSentCopyKeepsWhatWasDelivered) {
  if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI not set";
  test::SmtpSink sink(dir_ / "sink", {"--refuse", "cc@example.jp"});
  ASSERT_NE(sink.port(), 0);
  ASSERT_TRUE(StoreSettings(sink.port()));
  int status = -1;
  std::string err;
  test::RunCli("send --to taro@example.jp --cc cc@example.jp --bcc b@example.jp --title t --body x",
               dir_ / "app", dir_ / "config", status, &err);
  EXPECT_EQ(status, 3) << err;
  EXPECT_NE(err.find("一部送信失敗 : 届かなかった宛先 <cc@example.jp> 550"), std::string::npos)
      << err;
  ASSERT_EQ(sink.Messages().size(), 1u);  // one transaction, delivered once
  EXPECT_NE(sink.Envelopes().find("\"rcpt_tos\": [\"taro@example.jp\", \"b@example.jp\"]"),
            std::string::npos)
      << sink.Envelopes();
  EXPECT_EQ(test::ReadFileBytes(sink.Messages()[0]).find("b@example.jp"), std::string::npos);

  const std::string shown = test::RunCli("show 0", dir_ / "app", dir_ / "config", status);
  EXPECT_NE(shown.find("taro@example.jp"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("cc@example.jp"), std::string::npos) << shown;

  // A character the code page cannot hold is named on stderr.
  test::RunCli("mail send --to taro@example.jp --cc cc@example.jp --title '乾杯🎉' --body x",
               dir_ / "app", dir_ / "config", status, &err);
  EXPECT_EQ(status, 3) << err;
  EXPECT_TRUE(err.starts_with("この文字は送れないため〓になります : 🎉\n")) << err;
  EXPECT_EQ(sink.Messages().size(), 2u);
}

}  // namespace
}  // namespace sorami
