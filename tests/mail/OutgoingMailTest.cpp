// The text of outgoing mail as a standard reader sees it; the checks of SendMail before and at
// the connection; an unwritable Send.log.
#include <gtest/gtest.h>

#include "base/DiagLog.h"
#include "mail/MailServers.h"
#include "mail/SendMail.h"
#include "mail/smtp/MessageText.h"
#include "platform/Codepage.h"
#include "support/Scratch.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using test::ScratchDir;

using SocketMaker = std::function<std::unique_ptr<LineSocket>(const SmtpConfig&, std::string&)>;
SendMailContext Context(DiagLog& log, const std::filesystem::path& dir, SocketMaker make) {
  return SendMailContext{log, dir, "client.local", std::move(make), nullptr, {}, {}};
}

TEST(OutgoingText, AStandardReaderReadsNamesSubjectBodyAndAttachments) {
  ScratchDir dir;
  test::WriteFileBytes(dir / "テスト資料.txt", "contents\r\n");
  test::WriteFileBytes(dir / "plain.dat", std::string("\0\x01\xFF", 3));
  TVexMsg m;
  m.MessageId = "<HKW.2026.12.07.abcdefgh@client.local>";
  m.DateText = "Mon, 7 Dec 2026 10:00:00 +0900";
  m.JPName = "送信者"_cp932;
  m.From = "hanako@example.jp";
  m.ReplyTo = "reply@example.jp";
  m.SendTo = "taro@example.jp,jiro@example.jp";
  m.CC = "cc@example.jp";
  m.BCC = "secret@example.jp";
  m.Subject = "ﾊﾝｶｸ混じり~の件名"_cp932;
  m.CharSet = "ISO-2022-JP";
  m.Text = {"こんにちは。"_cp932, ".", "C:\\path~ after"};
  m.Attachments.Add(PathText(dir / "テスト資料.txt"));
  m.Attachments.Add(PathText(dir / "plain.dat"));
  std::string text, error;
  ASSERT_TRUE(BuildMessageText(m, "--_VEX_bound_abcdefghijkl", "Sorami Mail Ver1.00", nullptr, 5,
                               text, error))
      << error;
  test::WriteFileBytes(dir / "mail.eml", text);
  EXPECT_EQ(test::ReadWithPython(dir / "mail.eml"),
            "from=送信者 <hanako@example.jp>\n"
            "to=taro@example.jp,jiro@example.jp\n"
            "cc=cc@example.jp\n"
            "reply-to=reply@example.jp\n"
            "subject=ハンカク混じり~の件名\n"
            "body=こんにちは。\\n.\\nC:\\path~ after\n"
            "attach=テスト資料.txt text/plain "
            "3e7a6739f387716c5ddedcd3c291ac47c791f74518bab49f966347154a3bb4c5\n"
            "attach=plain.dat application/octet-stream "
            "26a66b061e8f48f39927c312f25293959729eee95978e2892d49d3512a5cc092\n"
            "compat-subject=ハンカク混じり~の件名\n"
            "compat-attach=テスト資料.txt\n"
            "compat-attach=plain.dat\n"
            "defects=0\n");
}

TEST(SendMailChecks, MissingSettingsAndFieldsFailBeforeAnyConnection) {
  DiagLog log;
  ScratchDir dir;
  bool opened = false;
  SendMailContext ctx = Context(log, dir.path(), [&](const SmtpConfig&, std::string&) {
    opened = true;
    return std::unique_ptr<LineSocket>();
  });
  OutgoingMail mail{"",           "hanako@example.jp", "", "taro@example.jp", "", "",
                    "件名"_cp932, "本文"_cp932,        {}};
  SmtpConfig config;
  std::string result;
  EXPECT_FALSE(SendMail(mail, config, ctx, result));
  EXPECT_EQ(result, "メール送信ホスト(SMTP)未設定"_cp932);
  config.host = "mail.example.jp";
  mail.to.clear();
  EXPECT_FALSE(SendMail(mail, config, ctx, result));
  EXPECT_EQ(result, "宛先未指定"_cp932);
  mail.title.clear();  // both missing: the title is named
  EXPECT_FALSE(SendMail(mail, config, ctx, result));
  EXPECT_EQ(result, "表題未指定"_cp932);
  mail.title = "t";
  mail.to = "a@example.jp,太郎%サイト"_cp932;  // every piece is a recipient or an error
  EXPECT_FALSE(SendMail(mail, config, ctx, result));
  EXPECT_EQ(result, "宛先エラー : 太郎%サイト"_cp932);
  mail.to = "a@example.jp";
  mail.cc = "b@example.jp,,c@";
  EXPECT_FALSE(SendMail(mail, config, ctx, result));
  EXPECT_EQ(result, "宛先エラー : c@"_cp932);
  EXPECT_FALSE(opened);
}

TEST(SendMailChecks, ARefusedGreetingIsAFailureWithNoSendLog) {
  DiagLog log;
  log.Attach();
  ScratchDir dir;
  SendMailContext ctx = Context(log, dir.path(), [](const SmtpConfig& c, std::string&) {
    EXPECT_EQ(c.port, 2525);
    return std::unique_ptr<LineSocket>(test::ScriptedLineSocket::FromFile("smtp-greeting-421.txt"));
  });
  OutgoingMail mail{"", "hanako@example.jp", "", "taro@example.jp", "", "", "t", "b", {}};
  SmtpConfig config;
  config.host = "mail.example.jp";
  config.port = 2525;
  std::string result;
  EXPECT_FALSE(SendMail(mail, config, ctx, result));
  EXPECT_EQ(result,
            "送信エラー : サーバーが接続を断りました: 421 mail.example.jp Service not available, "
            "try later"_cp932);
  EXPECT_FALSE(std::filesystem::exists(dir / "Send.log"));
}

TEST(SendMailChecks, AnUnwritableSendLogIsReported) {
  DiagLog log;
  ScratchDir dir;
  std::string result;
  test::WriteFileBytes(dir / "file", "");
  EXPECT_FALSE(SaveSoushinLog(dir / "file", 1796000000, "a", "t", "f", log, result));
  EXPECT_EQ(result, "Cannot Write: " + PathText(dir / "file" / "Send.log"));
}

}  // namespace
}  // namespace sorami
