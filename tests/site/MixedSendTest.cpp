// The compose window's send with mail and site recipients at once: the mail goes straight to a
// real SMTP server (aiosmtpd on loopback) with the send attachment list, the site recipients by
// "SENDWIN"; a file taken off the send list is no longer mailed.
#include <gtest/gtest.h>

#include "mail/MailServers.h"
#include "platform/Codepage.h"
#include "shell/Soushin.h"
#include "support/FakeHttp.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class MixedSend : public test::FakeSiteTest {
 protected:
  MixedSend() {
    st->cur = {J("広場"), J("たろう"), "pw", "h:1", "sys", ""};
    SetteiValues& v = st->settei.v;
    v.smtp_host = "127.0.0.1";
    v.smtp_tls_index = 1;  // "なし"
    v.mail_address = "taro@example.jp";
    v.mail_name = J("山田太郎");
    f.title = J("会議");
    f.body = J("本文です");
    f.kankei = J("知人");
    f.shubetsu = J("一般連絡");
  }
  ComposeFields f;
};

TEST_F(MixedSend, MailAndSiteRecipientsGoOutEachTheirWay) {
  test::SmtpSink sink(dir / "sink", {});
  ASSERT_NE(sink.port(), 0);
  st->settei.v.smtp_port_text = std::to_string(sink.port());
  test::WriteFileBytes(dir / "memo.txt", "attached");
  st->site.send_attachments = {(dir / "memo.txt").string()};
  f.to = J("はなこ、") + "hana@example.jp";  // "、" beside a mail address separates as well
  f.bcc = "boss@example.jp";
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
  SendReport r = SendButton(*st, DirectMailRoute(*st), f);
  ASSERT_TRUE(r.ok) << Cp932ToUtf8(r.msg);
  ASSERT_EQ(http->sent.size(), 1u);  // the site recipient, with the file as FILE0
  EXPECT_NE(http->sent[0].body.find("name=\"FILE0\""), std::string::npos);
  const auto mails = sink.Messages();
  ASSERT_EQ(mails.size(), 1u);  // To and Bcc in one transaction
  const std::string read = test::ReadWithPython(mails[0]);
  EXPECT_NE(read.find("to=hana@example.jp\n"), std::string::npos) << read;
  EXPECT_NE(read.find("subject=会議\n"), std::string::npos) << read;
  EXPECT_NE(read.find("attach=memo.txt "), std::string::npos) << read;
  EXPECT_EQ(read.find("boss@"), std::string::npos) << read;  // Bcc is in no header
  EXPECT_EQ(st->store.Get(0, MastCol::kTo), J("はなこ%広場,") + "hana@example.jp");

  st->site.send_attachments.clear();  // the user removed the file: it is not mailed again
  f.to = "hana@example.jp";
  f.bcc.clear();
  r = SendButton(*st, DirectMailRoute(*st), f);
  ASSERT_TRUE(r.ok) << Cp932ToUtf8(r.msg);
  ASSERT_EQ(sink.Messages().size(), 2u);
  EXPECT_EQ(test::ReadWithPython(sink.Messages()[1]).find("attach="), std::string::npos);
  EXPECT_EQ(http->sent.size(), 1u);  // mail only: no site request
}

}  // namespace
}  // namespace sorami
