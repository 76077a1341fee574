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
    std::array<std::string_view, TArMastData::kColumns> cols{};
    cols[ColIndex(MastCol::kSender)] = "x";
    cols[ColIndex(MastCol::kTo)] = "z%s,y%s";
    cols[ColIndex(MastCol::kToList)] = "y%s,z%s,x%s";
    cols[ColIndex(MastCol::kCc)] = "c%s";
    cols[ColIndex(MastCol::kBcc)] = "b%s";
    cols[ColIndex(MastCol::kTitle)] = "hello";
    cols[ColIndex(MastCol::kRelation)] = relation;
    cols[ColIndex(MastCol::kBody)] = "l1\r\nl2";
    store.Append(cols);
    cols[ColIndex(MastCol::kBody)] =
        "f1\x0C\x0B"
        "f2";  // fetched in this run: still escaped
    store.Append(cols);
  }
  DiagLog log;
  TArMastd store;
  ReplyFields f;
  const std::string relation = J("知人");
};

TEST_F(ReplyRecord, EachKindFillsItsFields) {
  ASSERT_TRUE(Henshin(log, store, 0, ReplyKind::kSender, f));
  EXPECT_EQ(f.bcc, "b%s");
  EXPECT_EQ(f.kankei, relation);
  EXPECT_TRUE(f.sets_cc_bcc);

  ASSERT_TRUE(Henshin(log, store, 0, ReplyKind::kAll, f));
  EXPECT_EQ(f.to, "x,x%s,y%s,z%s");  // sorted, once each; the own name stays

  ASSERT_TRUE(Henshin(log, store, 0, ReplyKind::kResend, f));
  EXPECT_EQ(f.to, "z%s,y%s");
  EXPECT_EQ(f.title, "hello");
  EXPECT_EQ(f.body, "l1\r\nl2");
  EXPECT_FALSE(f.sets_cc_bcc);

  EXPECT_FALSE(Henshin(log, store, 2, ReplyKind::kSender, f));
  EXPECT_FALSE(Henshin(log, store, -1, ReplyKind::kSender, f));
}

TEST_F(ReplyRecord, ABodyFetchedInThisRunIsQuotedLineByLineAndStaysStoredAsItWas) {
  ASSERT_TRUE(Henshin(log, store, 1, ReplyKind::kSender, f));
  EXPECT_EQ(f.body, ">f1\r\n>f2");
  EXPECT_EQ(store.Get(1, MastCol::kBody),
            "f1\x0C\x0B"
            "f2");
}

}  // namespace
}  // namespace sorami
