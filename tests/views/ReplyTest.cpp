// Reply, reply to all and resend: the quoting, the "Re: " rule and the fields each kind fills.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "views/Reply.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

TEST(Reply, QuotingPutsThePrefixBeforeEveryLine) {
  DiagLog log;
  EXPECT_EQ(ConvInyou(log, "a\r\n", ">"), ">a\r\n>");
  EXPECT_EQ(ConvInyou(log, "", ">"), ">");
  EXPECT_EQ(ConvInyou(log, "a\nb", ">"), ">a\nb");  // only CR LF ends a line
  EXPECT_EQ(ReplyTitle("x (Re:)"), "x (Re:)");
  EXPECT_EQ(ReplyTitle("RE: x"), "Re: RE: x");
  EXPECT_EQ(ReplyTitle(""), "Re: ");
}

class ReplyRecord : public ::testing::Test {
 protected:
  ReplyRecord() {
    // Row 0: from x of the site s2 to members of s and s2; the replier is me%home.
    std::array<std::string_view, TArMastData::kColumns> cols{};
    cols[ColIndex(MastCol::kSender)] = "x";
    cols[ColIndex(MastCol::kSenderSite)] = "s2";
    cols[ColIndex(MastCol::kTo)] = "z%s,y/2";  // y is a member of the writer's site s2
    cols[ColIndex(MastCol::kToList)] = "y%s2,z%s,ME%home,x%s2,c%s";
    cols[ColIndex(MastCol::kCc)] = "c%s/4";
    cols[ColIndex(MastCol::kBcc)] = "b%s";
    cols[ColIndex(MastCol::kTitle)] = "hello";
    cols[ColIndex(MastCol::kRelation)] = relation;
    cols[ColIndex(MastCol::kBody)] = "l1\r\nl2";
    store.Append(cols);
    cols[ColIndex(MastCol::kBody)] =
        "f1\x0C\x0B"
        "f2";  // fetched in this run: still escaped
    store.Append(cols);
    // Row 2: a mail from けんじ to the replier and ann, with a copy to bob.
    const std::string sender = J("けんじ <kenji@example.org>");
    cols = {};
    cols[ColIndex(MastCol::kSender)] = sender;
    cols[ColIndex(MastCol::kTo)] = "\"Me, here\" <Me@Example.jp>, ann@example.com";
    cols[ColIndex(MastCol::kCc)] = "bob@example.com (Bob)";
    cols[ColIndex(MastCol::kCategory)] = mail_category;
    store.Append(cols);
  }
  DiagLog log;
  TArMastd store;
  ReplyFields f;
  const ReplySelf self{"me", "home", "me@example.jp"};
  const std::string relation = J("知人");
  const std::string mail_category = J("メール");
};

TEST_F(ReplyRecord, ASiteReplyNamesEveryoneWithTheirOwnSiteAndLeavesTheReplierOut) {
  ASSERT_TRUE(Henshin(log, store, 0, ReplyKind::kSender, self, f));
  EXPECT_EQ(f.to, "x%s2");  // never a namesake x of the replier's own site
  EXPECT_EQ(f.cc, "");
  EXPECT_EQ(f.bcc, "");
  EXPECT_EQ(f.kankei, relation);
  EXPECT_TRUE(f.sets_cc_bcc);

  ASSERT_TRUE(Henshin(log, store, 0, ReplyKind::kAll, self, f));
  EXPECT_EQ(f.to, "x%s2,z%s,y%s2");  // once each, without me%home and the CC recipient
  EXPECT_EQ(f.cc, "c%s");            // the writer's relation numbers are not the replier's
  EXPECT_EQ(f.bcc, "");              // blind copies are not shared

  ASSERT_TRUE(Henshin(log, store, 0, ReplyKind::kResend, self, f));
  EXPECT_EQ(f.to, "z%s,y/2");
  EXPECT_EQ(f.title, "hello");
  EXPECT_EQ(f.body, "l1\r\nl2");
  EXPECT_FALSE(f.sets_cc_bcc);

  EXPECT_FALSE(Henshin(log, store, 3, ReplyKind::kSender, self, f));
  EXPECT_FALSE(Henshin(log, store, -1, ReplyKind::kSender, self, f));
}

TEST_F(ReplyRecord, AMailReplyGoesToTheBareAddressesOnly) {
  ASSERT_TRUE(Henshin(log, store, 2, ReplyKind::kSender, self, f));
  EXPECT_EQ(f.to, "kenji@example.org");  // no site piece "けんじ"
  EXPECT_EQ(f.cc, "");
  ASSERT_TRUE(Henshin(log, store, 2, ReplyKind::kAll, self, f));
  EXPECT_EQ(f.to, "kenji@example.org,ann@example.com");  // the replier's address in any case
  EXPECT_EQ(f.cc, "bob@example.com");
}

TEST_F(ReplyRecord, ABodyFetchedInThisRunIsQuotedLineByLineAndStaysStoredAsItWas) {
  ASSERT_TRUE(Henshin(log, store, 1, ReplyKind::kSender, self, f));
  EXPECT_EQ(f.body, ">f1\r\n>f2");
  EXPECT_EQ(store.Get(1, MastCol::kBody),
            "f1\x0C\x0B"
            "f2");
}

}  // namespace
}  // namespace sorami
