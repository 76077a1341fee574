// The compose check and the fields of a site send: which texts fail, which columns the
// outgoing record carries for site, mail and mixed recipients, drafts, and the address-list
// entry a send leaves.
#include <gtest/gtest.h>

#include "compose/ComposeCheck.h"
#include "compose/SendFields.h"
#include "platform/Codepage.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class ComposeCheckTest : public ::testing::Test {
 protected:
  ComposeCheckTest() {
    log.Attach();
    f.kankei = J("知人");
    f.shubetsu = J("一般連絡");
    f.body = "hello";
  }
  bool Check(const char* folder = "送信箱") {
    return CheckSoushin(log, 7, J(folder), f, sender, list, out, 1767225600);
  }
  std::string Col(MastCol c) const { return out.record[ColIndex(c)]; }

  DiagLog log;
  ComposeFields f;
  ComposeSender sender{J("たろう"), J("広場"), J("山田太郎")};
  std::vector<AddressEntry> list;
  ComposeOutcome out;
};

TEST_F(ComposeCheckTest, MissingRecipientsFailWithoutTouchingTheTitle) {
  EXPECT_FALSE(Check());  // nothing anywhere
  EXPECT_EQ(Cp932ToUtf8(out.msg), "宛先エラー");
  EXPECT_EQ(f.title, "");

  EXPECT_TRUE(Check("草稿"));  // a draft needs no recipient
  EXPECT_EQ(Cp932ToUtf8(Col(MastCol::kFolder)), "草稿");

  f.to = J(" ,　");  // only separators: no address at all
  EXPECT_FALSE(Check());
  EXPECT_EQ(Cp932ToUtf8(out.msg), "宛先エラー");
  EXPECT_EQ(f.title, "(No Subject)");
}

TEST_F(ComposeCheckTest, AMailAddressWithoutADomainStopsASendButNotADraft) {
  f.to = J("はなこ、a@example.jp");
  f.bcc = "boss@";
  EXPECT_FALSE(Check());
  EXPECT_EQ(Cp932ToUtf8(out.msg), "宛先エラー : boss@");
  ASSERT_TRUE(Check("草稿"));
  EXPECT_EQ(Col(MastCol::kTo), J("はなこ%広場"));
}

TEST_F(ComposeCheckTest, ACcRecipientIsEnoughForASendAndTheTitleStaysEmpty) {
  f.cc = "b";
  ASSERT_TRUE(Check());
  EXPECT_EQ(out.msg, "");
  EXPECT_EQ(Col(MastCol::kTo), "");
  EXPECT_EQ(Col(MastCol::kCc), J("b%広場"));
  EXPECT_EQ(Col(MastCol::kTitle), "");
  EXPECT_EQ(out.tolist, "");  // one recipient only
}

TEST_F(ComposeCheckTest, ASiteMessageCarriesTheAccountAndTheCombosAndTheMultiRecipientList) {
  f.to = J("a、b%他所");
  f.cc = "c";
  f.bcc = "d";
  ASSERT_TRUE(Check());
  EXPECT_EQ(f.title, "(No Subject)");
  EXPECT_EQ(Col(MastCol::kNumber), "0007");
  EXPECT_EQ(Col(MastCol::kTo), J("a%広場,b%他所"));
  EXPECT_EQ(Col(MastCol::kBcc), J("d%広場"));
  EXPECT_EQ(out.tolist, J("a%広場,b%他所,c%広場"));  // To then CC; Bcc never
  EXPECT_EQ(Col(MastCol::kSenderUser), "");
  EXPECT_EQ(Col(MastCol::kSendDate), Col(MastCol::kDate));
  f.body = "one\ntwo";  // the box's line breaks: a bare LF would break the master file's line
  ASSERT_TRUE(Check());
  EXPECT_EQ(Col(MastCol::kBody), "one\r\ntwo");
  EXPECT_TRUE(out.site_flag);
  EXPECT_FALSE(out.mail_flag);
}

TEST_F(ComposeCheckTest, MailRecipientsTakeTheMailSenderUnlessASiteRecipientIsThere) {
  f.to = "x@example.jp";
  f.title = "t";
  ASSERT_TRUE(Check());
  EXPECT_EQ(Col(MastCol::kCategory), J("メール"));
  EXPECT_EQ(Col(MastCol::kSender), J("山田太郎"));
  EXPECT_EQ(Col(MastCol::kTo), "");
  EXPECT_EQ(out.mail_to, std::vector<std::string>{"x@example.jp"});
  EXPECT_EQ(out.tolist, "");

  f.to = "x@example.jp,a";
  f.bcc = "y@example.jp";
  ASSERT_TRUE(Check());
  EXPECT_EQ(Col(MastCol::kSender), J("たろう"));
  EXPECT_EQ(Col(MastCol::kSenderUser), J("山田太郎"));
  EXPECT_EQ(out.mail_bcc, std::vector<std::string>{"y@example.jp"});
  EXPECT_TRUE(out.site_flag && out.mail_flag);
}

TEST_F(ComposeCheckTest, ADraftIsUnsentAndAutomaticRelationUsesTheAddressList) {
  list = {{"a", J("家族"), "A"}};
  f.to = "a,b";
  f.title = "t";
  f.auto_kankei = true;
  ASSERT_TRUE(Check("草稿"));
  EXPECT_EQ(Col(MastCol::kSendDate), J("(未送信)"));
  EXPECT_EQ(Col(MastCol::kFolder), J("草稿"));
  EXPECT_EQ(Col(MastCol::kTo), J("a%広場/1,b%広場/9"));
}

TEST(SendFields, TheCommonFieldsFollowTheServicesOrder) {
  DiagLog log;
  OutRecord r;
  r[ColIndex(MastCol::kTo)] = "to";
  r[ColIndex(MastCol::kCc)] = "cc";
  r[ColIndex(MastCol::kBcc)] = "bcc";
  r[ColIndex(MastCol::kSenderSite)] = "site";
  r[ColIndex(MastCol::kSender)] = "me";
  r[ColIndex(MastCol::kSendDate)] = "date";
  r[ColIndex(MastCol::kTitle)] = "title";
  r[ColIndex(MastCol::kBody)] = "a=b";
  r[ColIndex(MastCol::kRelation)] = "rel";
  r[ColIndex(MastCol::kCategory)] = "cat";
  std::vector<std::string> fields{"FROMHOST=h"};
  SetStrList(log, r, "SENDWIN", "l1,l2", "pw", fields);
  const std::vector<std::string> want = {
      "FROMHOST=h",    "COMMAND=SENDWIN", "TOLIST=l1,l2",  "TOHOST=",     "TOUSER=",
      "TOSITE=",       "CC=cc",           "BCC=bcc",       "REPLYTO=",    "TONAME=to",
      "FROMSITE=site", "FROMNAME=me",     "FROMDATE=date", "TITLE=title", "HONBUN=a=b",
      "KANKEI=rel",    "SHUBETSU=cat",    "USERPASS=pw"};
  EXPECT_EQ(fields, want);
}

TEST(SendFields, TheAddressListLearnsADestinationOnce) {
  DiagLog log;
  std::vector<AddressEntry> list;
  EXPECT_TRUE(SaveSoushinList(log, list, true, J("a、b％広場"), J("知人")));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].address, J("a,b%広場"));
  EXPECT_EQ(list[0].name, "(noname)");
  EXPECT_EQ(list[0].relation, J("知人"));
  EXPECT_FALSE(SaveSoushinList(log, list, true, J("a,b%広場"), J("家族")));
  EXPECT_TRUE(SaveSoushinList(log, list, false, "x@example.jp", J("知人")));
  EXPECT_EQ(list.at(1).relation, "");  // a mail-only destination has no relation
}

}  // namespace
}  // namespace sorami
