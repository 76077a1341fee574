// The text of outgoing mail as a standard reader sees it; the checks of SendMail before and at
// the connection; an unwritable Send.log.
#include <gtest/gtest.h>

#include <algorithm>

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

// A message with the fixed Message-Id, date and sender the outgoing-text tests share.
TVexMsg Message(const std::string& to, const std::string& subject) {
  TVexMsg m;
  m.MessageId = "<HKW.2026.12.07.abcdefgh@client.local>";
  m.DateText = "Mon, 7 Dec 2026 10:00:00 +0900";
  m.From = "hanako@example.jp";
  m.SendTo = to;
  m.Subject = subject;
  m.CharSet = "ISO-2022-JP";
  return m;
}
// The message's text, which `text` gets, as Python's email package reads it.
std::string AsReaderSees(const TVexMsg& m, const ScratchDir& dir, std::string& text) {
  std::string error;
  EXPECT_TRUE(BuildMessageText(m, "--_VEX_bound_abcdefghijkl", "Sorami Mail Ver1.00", nullptr, 5,
                               text, error))
      << error;
  test::WriteFileBytes(dir / "mail.eml", text);
  return test::ReadWithPython(dir / "mail.eml");
}

TEST(OutgoingText, AStandardReaderReadsNamesSubjectBodyAndAttachments) {
  ScratchDir dir;
  test::WriteFileBytes(dir / "テスト資料.txt", "contents\r\n");
  test::WriteFileBytes(dir / "plain.dat", std::string("\0\x01\xFF", 3));
  TVexMsg m = Message("taro@example.jp,jiro@example.jp", "ﾊﾝｶｸ混じり~の件名"_cp932);
  m.JPName = "送信者"_cp932;
  m.ReplyTo = "reply@example.jp";
  m.CC = "cc@example.jp";
  m.BCC = "secret@example.jp";
  m.Text = {"こんにちは。"_cp932, ".", "C:\\path~ after"};
  m.Attachments.Add(PathText(dir / "テスト資料.txt"));
  m.Attachments.Add(PathText(dir / "plain.dat"));
  std::string text;
  EXPECT_EQ(AsReaderSees(m, dir, text),
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

// The longest line of a mail text, in octets before its CR LF.
size_t LongestLine(const std::string& text) {
  size_t longest = 0, start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    longest = std::max(longest, end - start);
  }
  return std::max(longest, text.size() - start);
}

TEST(OutgoingText, LongLinesAreFoldedAndEachFoldedLineIsWholeISO2022JP) {
  ScratchDir dir;
  test::WriteFileBytes(dir / "say \"hi\".txt", "q");
  std::string to, subject, line;
  for (int i = 0; i < 120; ++i) to += (i ? ",user" : "user") + std::to_string(i) + "@example.jp";
  for (int i = 0; i < 400; ++i) subject += "長"_cp932;
  for (int i = 0; i < 600; ++i) line += "あ"_cp932;
  TVexMsg m = Message(to, subject);
  m.Text = {line, "end"};
  m.Attachments.Add(PathText(dir / "say \"hi\".txt"));
  std::string text;
  const std::string read = AsReaderSees(m, dir, text);
  EXPECT_LE(LongestLine(text), 998u);
  // The folded body line: each part ends in the one-byte set, the next starts the kanji again.
  EXPECT_NE(text.find("\x1B(J\r\n\x1B$B$\""), std::string::npos);
  std::string first, second;
  for (int i = 0; i < 600; ++i) (i < 495 ? first : second) += "あ";
  std::string long_subject;
  for (int i = 0; i < 400; ++i) long_subject += "長";
  EXPECT_NE(read.find("subject=" + long_subject + "\n"), std::string::npos) << read;
  EXPECT_NE(read.find("body=" + first + "\\n" + second + "\\nend"), std::string::npos) << read;
  EXPECT_NE(read.find(",user119@example.jp\n"), std::string::npos) << read;
  EXPECT_NE(read.find("attach=say \"hi\".txt text/plain"), std::string::npos) << read;
  EXPECT_NE(read.find("defects=0\n"), std::string::npos) << read;
}

TEST(OutgoingText, TextOutsideJisX0208GoesInUtf8ThatAStandardReaderShows) {
  ScratchDir dir;
  test::WriteFileBytes(dir / "髙\"見積\"①.txt", "estimate\r\n");
  TVexMsg m = Message("taro@example.jp", "①番の件"_cp932);
  m.JPName = "髙橋"_cp932;
  m.Text = {"丸数字①と髙"_cp932, "ふつう"_cp932};
  m.Attachments.Add(PathText(dir / "髙\"見積\"①.txt"));
  std::string text;
  const std::string read = AsReaderSees(m, dir, text);
  EXPECT_NE(text.find("charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n"), std::string::npos);
  EXPECT_EQ(read,
            "from=髙橋 <hanako@example.jp>\n"
            "to=taro@example.jp\n"
            "subject=①番の件\n"
            "body=丸数字①と髙\\nふつう\\n\n"
            "attach=髙\"見積\"①.txt text/plain "
            "7280b8ce4d7972389bb7a759b3158bed3e579b1eb06d951049c374665c3551ea\n"
            "compat-subject=①番の件\n"
            "compat-attach=髙\"見積\"①.txt\n"
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
