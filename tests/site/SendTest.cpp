// The compose window's send as the service receives it: the "SENDWIN" and "SENDSMTP" fields in
// order, the retry through the dynamic host, the result texts, and what a send leaves behind
// (the sent copy, the address list, the account log) or, failing, does not.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "shell/Soushin.h"
#include "site/SiteWire.h"
#include "store/Folders.h"
#include "support/FakeHttp.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class Send : public test::FakeSiteTest {
 protected:
  Send() {
    st->cur = {J("広場"), J("たろう"), "pw", "h:1", "sys", ""};
    st->settei.v.mail_name = J("山田");
    st->settei.v.mail_address = "taro@example.jp";
    f.title = "t";
    f.body = J("本文");
    f.kankei = J("知人");
    f.shubetsu = J("一般連絡");
    mail.send_mail = [this](const ComposeFields&, const ComposeOutcome& c, std::string& msg) {
      mailed = c.mail_to;
      msg = mail_answer;
      return mail_ok;
    };
    mail.save_send_log = [this](const std::string& to, const std::string&, const std::string&) {
      logged_to = to;
    };
  }
  SendReport Run() { return SendButton(*st, mail, f); }

  ComposeFields f;
  MailRoute mail;
  bool mail_ok = true;
  std::string mail_answer = J("送信完了 => x ");
  std::vector<std::string> mailed;
  std::string logged_to;
};

TEST_F(Send, ASiteMessageIsOneSendwinAndItsCopyLandsInTheSentFolder) {
  f.to = J("はなこ、じろう");
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 2 件"));
  const SendReport r = Run();
  ASSERT_TRUE(r.ok) << Cp932ToUtf8(r.msg);
  EXPECT_EQ(Cp932ToUtf8(r.msg), "送信完了");  // a blank message reads as done
  ASSERT_EQ(http->sent.size(), 1u);
  EXPECT_EQ(http->sent[0].url, "http://h:1/bn/WbMessage.exe?");
  const std::string& body = http->sent[0].body;
  EXPECT_EQ(body.rfind("FROMHOST=h%3A1&FROMUSER=sys&COMMAND=SENDWIN&TOLIST=", 0), 0u) << body;
  for (const char* part : {"&TOHOST=&TOUSER=&TOSITE=&CC=&BCC=&REPLYTO=&TONAME=", "&USERPASS=pw&"}) {
    EXPECT_NE(body.find(part), std::string::npos) << part;
  }
  EXPECT_LT(body.find("&TITLE=t&"), body.find("&HONBUN="));
  ASSERT_EQ(st->store.CtMaster(), 1);
  EXPECT_EQ(st->store.Get(0, MastCol::kFolder), FolderName(Folder::kSent));
  EXPECT_EQ(st->store.Get(0, MastCol::kToList), J("はなこ%広場,じろう%広場"));
  ASSERT_EQ(st->send_list.size(), 1u);
  EXPECT_EQ(st->send_list[0].address, J("はなこ,じろう"));
  EXPECT_TRUE(r.show_sent && r.close_window);
  ASSERT_FALSE(st->aclog.lines().empty());
  EXPECT_NE(st->aclog.lines().back().find("SEND OK"), std::string::npos);
  EXPECT_TRUE(mailed.empty());  // no mail address, no mail

  f.to = J("はなこ、じろう");  // the same destination again: the list keeps one entry
  http->Answer("x\tOK(PGM)sent\r\n" + J("送信受付完了 2 件"));
  EXPECT_EQ(Run().msg, "sent");
  EXPECT_EQ(st->send_list.size(), 1u);
  EXPECT_EQ(st->store.CtMaster(), 2);
}

TEST_F(Send, AnUnreachableHostIsTriedOnceMoreThroughTheDynamicHost) {
  f.to = "a";
  st->cur.dyn_key = "p$k";
  http->Fail();
  http->Answer("x\tOK(PGM)\r\n  new:8  \r\n");
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
  ASSERT_TRUE(Run().ok);
  ASSERT_EQ(http->sent.size(), 3u);
  EXPECT_EQ(http->sent[1].url, "http://dir:1/bn/WbUpdate.exe?");
  EXPECT_EQ(http->sent[2].url, "http://new:8/bn/WbMessage.exe?");
  EXPECT_EQ(http->sent[2].body, http->sent[0].body);  // the same fields, to the new host

  st->cur.dyn_key.clear();  // a fixed host: no second try, and nothing filed
  http->Fail();
  const SendReport r = Run();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(http->sent.size(), 4u);
  EXPECT_EQ(st->store.CtMaster(), 1);
  EXPECT_EQ(Cp932ToUtf8(r.compose_status.back()), "送信失敗 : 接続エラー");
  EXPECT_NE(st->aclog.lines().back().find("SEND NG"), std::string::npos);
  EXPECT_FALSE(r.close_window);
}

TEST_F(Send, ARefusalIsAFailureWithTheServicesText) {
  f.to = "a";
  http->Answer("x\t" + J("パスワードが違います"));
  const SendReport r = Run();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(Cp932ToUtf8(r.msg), "パスワードが違います");
  EXPECT_EQ(st->store.CtMaster(), 0);
  EXPECT_TRUE(st->send_list.empty());
}

TEST_F(Send, MailThroughTheSiteIsOneSendsmtpWithTheJoinedMailAddresses) {
  st->settei.v.send_through_site = true;
  st->settei.v.smtp_host = "smtp.example.jp";
  f.to = "x@example.jp y@example.jp";
  f.cc = "z@example.jp";
  http->Answer("x\tOK(PGM)" + J("送信完了"));
  const SendReport r = Run();
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(http->sent.size(), 1u);
  const std::string& body = http->sent[0].body;
  EXPECT_NE(body.find("COMMAND=SENDSMTP&TOLIST=x%40example%2Ejp%2Cy%40example%2Ejp&"),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("&TONAME=x%40example%2Ejp%2Cy%40example%2Ejp&"), std::string::npos);
  EXPECT_NE(body.find("&CC=z%40example%2Ejp&"), std::string::npos);
  EXPECT_NE(body.find("&SMTPHOST=smtp%2Eexample%2Ejp&SMTPUSER=&SMTPFROM=taro%40example%2Ejp&"),
            std::string::npos);
  EXPECT_TRUE(body.ends_with("&SMTPID=" + UrlEncodeValue(J("たろう")) + "&"));
  EXPECT_EQ(logged_to, "x@example.jp,y@example.jp");
  EXPECT_TRUE(mailed.empty());
  EXPECT_EQ(st->store.Get(0, MastCol::kTo), "x@example.jp,y@example.jp");
  // The site mails without files: a send with files stops before any request.
  const std::filesystem::path file = dir / "memo.txt";
  test::WriteFileBytes(file, "memo");
  st->site.send_attachments = {file};
  const SendReport with_file = Run();
  EXPECT_FALSE(with_file.ok);
  EXPECT_EQ(Cp932ToUtf8(with_file.msg),
            "送信失敗 : サイト経由のメールには添付ファイルを付けられません");
  EXPECT_EQ(http->sent.size(), 1u);
  EXPECT_EQ(st->store.CtMaster(), 1);
}

TEST_F(Send, AMailFailureBesideASiteSuccessTellsBothOutcomes) {
  mail_ok = false;
  mail_answer = J("メール送信ホスト(SMTP)未設定");
  f.to = "x@example.jp,a";
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
  const SendReport r = Run();
  EXPECT_TRUE(r.ok);  // the site part went out
  EXPECT_EQ(Cp932ToUtf8(r.msg), "メール送信失敗 : メール送信ホスト(SMTP)未設定 / 送信完了");
  EXPECT_EQ(st->store.Get(0, MastCol::kTo), J("a%広場"));
}

TEST_F(Send, TheFilesGoWithOneMessageOnlyAndAnUnreadableOneStopsTheSendBeforeAnyRoute) {
  test::WriteFileBytes(dir / "a.txt", "a");
  test::WriteFileBytes(dir / "b.txt", "b");
  st->site.send_attachments = {dir / "a.txt", dir / "nowhere" / "c.txt", dir / "b.txt"};
  f.to = "x@example.jp,a";  // both routes: neither may go without the file
  const SendReport refused = Run();
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(Cp932ToUtf8(refused.compose_status.back()),
            "送信失敗 : 添付ファイルを読めません : " + (dir / "nowhere" / "c.txt").string());
  EXPECT_TRUE(http->sent.empty());
  EXPECT_TRUE(mailed.empty());
  EXPECT_EQ(st->store.CtMaster(), 0);
  EXPECT_EQ(st->site.send_attachments.size(), 3u);  // kept for the user to mend

  st->site.send_attachments.erase(st->site.send_attachments.begin() + 1);
  f.to = "a";
  http->Fail();  // a failed send keeps the files for the next try
  EXPECT_FALSE(Run().ok);
  EXPECT_EQ(st->site.send_attachments.size(), 2u);
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
  ASSERT_TRUE(Run().ok);
  EXPECT_NE(http->sent.back().body.find("filename=\"b.txt\""), std::string::npos);
  EXPECT_EQ(st->store.Get(0, MastCol::kAttachments), "a.txt,b.txt");  // the copy tells what went
  EXPECT_TRUE(st->site.send_attachments.empty());  // the next message goes without them
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
  ASSERT_TRUE(Run().ok);
  EXPECT_EQ(http->sent.back().content_type, "application/x-www-form-urlencoded");
  EXPECT_EQ(st->store.Get(1, MastCol::kAttachments), "");
}

TEST_F(Send, ASecondSendWaitsForTheFirst) {
  BusyGuard fetch(st->busy);  // a fetch is waiting for its answer
  f.to = "a";
  EXPECT_TRUE(Run().refused);
  EXPECT_TRUE(http->sent.empty());
  EXPECT_EQ(st->store.CtMaster(), 0);
}

}  // namespace
}  // namespace sorami
