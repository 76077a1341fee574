// Encoded words, header lines and parameters, addresses, dates and the small routines.
#include <gtest/gtest.h>

#include <regex>

#include "MailTestUtil.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailDate.h"
#include "mail/mime/MailHeader.h"
#include "mail/mime/MailUtil.h"

namespace sorami {
namespace {

using test::Sj;
using test::U8;

// "報告" in ISO-2022-JP, base64: ESC $ B 4 s 9 p ESC ( B
const std::string kHoukokuB = "GyRCSnM5cBsoQg==";

TEST(DecodeHeader, DecodesEveryCharsetByItsLabel) {
  EXPECT_EQ(U8(DecodeHeader("=?ISO-2022-JP?B?" + kHoukokuB + "?=")), "報告");
  EXPECT_EQ(U8(DecodeHeader("=?utf-8?b?6YO15L6/?= <a@b>")), "郵便 <a@b>");
  EXPECT_EQ(U8(DecodeHeader("=?euc-jp?q?=CD=B9=CA=D8?=")), "郵便");
  EXPECT_EQ(U8(DecodeHeader("=?Shift_JIS?B?l1iV1g==?=")), "郵便");
  EXPECT_EQ(U8(DecodeHeader("=?windows-31j?Q?=87=40?=")), "①");
  EXPECT_EQ(U8(DecodeHeader("=?iso-8859-1?q?caf=E9?=")), "caf〓");
  // Half-width katakana by ESC ( I, and a charset with a language suffix.
  EXPECT_EQ(U8(DecodeHeader("=?ISO-2022-JP*ja?Q?=1B(I12=1B(B?=")), "ｱｲ");
  // An unknown label: the bytes speak for themselves.
  EXPECT_EQ(U8(DecodeHeader("=?x-unknown?Q?=E6=97=A5?=")), "日");
}

TEST(DecodeHeader, JoinsAdjacentWordsAsBytesAndDropsTheBlanksBetweenThem) {
  // 日本 in UTF-8 split in the middle of 本 across two words.
  EXPECT_EQ(U8(DecodeHeader("=?UTF-8?B?5pel5pw=?= =?UTF-8?B?rA==?=")), "日本");
  // Two ISO-2022-JP words separated by a blank: one text, no blank.
  EXPECT_EQ(
      U8(DecodeHeader("=?ISO-2022-JP?B?" + kHoukokuB + "?= =?ISO-2022-JP?B?" + kHoukokuB + "?=")),
      "報告報告");
  // Words of different charsets still lose the blank between them; plain words keep theirs.
  EXPECT_EQ(U8(DecodeHeader("Re: =?UTF-8?B?5pel?=\t=?euc-jp?q?=CB=DC?= end")), "Re: 日本 end");
  // A blank inside a word is text.
  EXPECT_EQ(U8(DecodeHeader("=?UTF-8?Q?Hello_?= =?UTF-8?Q?World?=")), "Hello World");
}

TEST(DecodeHeader, ShowsWhatCodePage932CannotHoldAsGeta) {
  EXPECT_EQ(U8(DecodeHeader("=?UTF-8?B?8J+Tpw==?= Test")), "〓 Test");
  EXPECT_EQ(U8(DecodeHeader("=?UTF-8?Q?a=FFb?=")), "a〓b");
}

TEST(DecodeHeader, ReadsRawJapaneseAndLeavesMalformedWordsAlone) {
  EXPECT_EQ(U8(DecodeHeader("\x1B$BJs9p\x1B(B 2026")), "報告 2026");
  EXPECT_EQ(U8(DecodeHeader("\xE5\xA0\xB1\xE5\x91\x8A")), "報告");
  EXPECT_EQ(U8(DecodeHeader(Sj("報告書"))), "報告書");
  EXPECT_EQ(DecodeHeader("=?UTF-8?X?abc?= =?broken"), "=?UTF-8?X?abc?= =?broken");
  EXPECT_EQ(DecodeHeader("1+1=?2"), "1+1=?2");
  EXPECT_EQ(DecodeHeader("=?UTF-8?Q?line=0D=0Abreak=09tab=00?="), "linebreak tab");
  // A lead byte before a control byte is no character and lets no control byte through.
  EXPECT_EQ(U8(DecodeHeader("=?ISO-2022-JP?Q?=9F=00x?=")), "〓x");
}

TEST(DecodeJisHeader, ReplacesWordsByJisBytesWithARomanEscape) {
  EXPECT_EQ(DecodeJisHeader("Re: =?iso-2022-jp?b?" + kHoukokuB + "?= x"),
            "Re: \x1B$BJs9p\x1B(B\x1B(J x");
  EXPECT_EQ(U8(DecodeSubjectText("=?ISO-2022-JP?B?" + kHoukokuB + "?=")), "報告");
  EXPECT_EQ(DecodeJisHeader("=?ISO-2022-JP?B?Zm9v"), "foo\x1B(J");  // the word never ends
}

TEST(Mailboxes, DecodeNameAndAddressOfEachMailbox) {
  EXPECT_EQ(U8(DecodeMailbox("=?ISO-2022-JP?B?" + kHoukokuB + "?= <a@example.com>")),
            "報告<a@example.com>");
  EXPECT_EQ(DecodeMailbox("a@example.com"), "a@example.com");
  EXPECT_EQ(U8(DecodeAddressField("\"Yamada, Taro\" <t@x>, =?UTF-8?B?6YO15L6/?= <y@x>,")),
            "Yamada, Taro<t@x>,郵便<y@x>");
  EXPECT_EQ(U8(DecodeAddressList("\"=?UTF-8?B?6YO15L6/?=\" <y@x>, plain@x (Plain Name)")),
            "\"郵便\" <y@x>, \"Plain Name\" <plain@x>");
}

TEST(Addresses, ExtractAndListAddressesCharacterByCharacter) {
  EXPECT_EQ(ExtractAddress("Taro (comment) <Taro@Example.com>", true), "<Taro@Example.com>");
  EXPECT_EQ(ExtractAddress(" t@x (Taro) ", false), "t@x");
  EXPECT_EQ(ExtractDisplayName("\"Taro's\" <t@x>", true), "\"Taros\"");
  EXPECT_EQ(ExtractDisplayName("t@x (Taro)", false), "Taro");
  EXPECT_EQ(AddressListToStrings("\"Yamada, Taro\" <T@X>, B@Y ,c@z"),
            (std::vector<std::string>{"t@x", "b@y", "c@z"}));
  // A kanji whose second byte is "A" keeps its case.
  EXPECT_EQ(AddressListToStrings(Sj("ア") + " <A@B>"), (std::vector<std::string>{"a@b"}));
  EXPECT_EQ(SplitAddresses("a <x,y@z>, (c,d) e@f, , \"g,h\" <i@j>"),
            (std::vector<std::string>{"a <x,y@z>", "(c,d) e@f", "\"g,h\" <i@j>"}));
  EXPECT_EQ(OnlyMail(Sj("太郎 <t@x>、b@y, 院長, c@z")), "t@x,b@y,c@z");
  EXPECT_EQ(OnlyMail("a@b,,c@d"), "a@b");  // an empty piece ends the scan
}

TEST(HeaderLines, FindTheNamedHeaderAndUnfoldIt) {
  const std::vector<std::string_view> lines = {
      "Subject: first part  ", "\tsecond part", "  ", "To: a@b", "", "Subject: body line"};
  std::string value;
  ASSERT_TRUE(GetHeaderLine("SUBJECT:", lines, value));
  EXPECT_EQ(value, "Subject: first part second part");
  EXPECT_TRUE(GetHeaderLine("TO:", lines, value));
  EXPECT_EQ(value, "To: a@b");
  EXPECT_FALSE(GetHeaderLine("CC:", lines, value));
  // Only the header block counts.
  const std::vector<std::string_view> body_only = {"", "Subject: x"};
  EXPECT_FALSE(GetHeaderLine("SUBJECT:", body_only, value));

  LinesView view = lines;
  StripHeaderLines(view);
  ASSERT_EQ(view.size(), 1u);
  EXPECT_EQ(view[0], "Subject: body line");
}

TEST(HeaderLines, ParametersPlainAndRfc2231) {
  EXPECT_EQ(GetHeaderParam("NAME", "application/pdf; name=\"a.pdf\"; x=1"), "=\"a.pdf\"");
  EXPECT_EQ(Unquote("\"a.pdf\""), "a.pdf");
  EXPECT_EQ(Unquote("'x'"), "x");
  EXPECT_EQ(GetBoundary("multipart/mixed; boundary=\"abc\""), "--abc");
  EXPECT_EQ(GetBoundary("multipart/mixed; BOUNDARY = xyz ; charset=x"), "--xyz");

  const std::string ct = "application/pdf; filename=\"wrong.pdf\"; name=\"a;b.pdf\"";
  EXPECT_EQ(GetMimeParam(ct, "NAME"), "a;b.pdf");  // whole names only, quotes may hold ";"
  EXPECT_EQ(GetMimeParam(ct, "charset"), std::nullopt);
  EXPECT_EQ(
      U8(GetMimeParam("attachment; filename*=UTF-8''%E5%A0%B1%E5%91%8A.pdf", "filename").value()),
      "報告.pdf");
  EXPECT_EQ(U8(GetMimeParam("attachment; filename*0*=UTF-8''%E5%A0%B1; filename*1*=%E5%91%8A; "
                            "filename*2=\".pdf\"",
                            "filename")
                   .value()),
            "報告.pdf");
  EXPECT_EQ(
      U8(GetMimeParam("attachment; filename*1=\"b.txt\"; filename*0=\"a\"", "filename").value()),
      "ab.txt");
  // The extended form wins over the plain fallback.
  EXPECT_EQ(U8(GetMimeParam("a; filename=\"x.pdf\"; filename*=iso-2022-jp'ja'%1B%24BJs9p%1B%28B",
                            "filename")
                   .value()),
            "報告");
  EXPECT_EQ(U8(GetMimeParam("a; name=\"=?ISO-2022-JP?B?" + kHoukokuB + "?=.pdf\"", "name").value()),
            "報告.pdf");
  // Raw Shift_JIS whose second byte is a backslash: not a quoting character.
  EXPECT_EQ(U8(GetMimeParam("a; name=\"" + Sj("表ソ.txt") + "\"", "name").value()), "表ソ.txt");
  EXPECT_EQ(GetMimeParam("a; name=\"x\\\"y\"", "name"), "x\"y");
}

class MailDates : public ::testing::Test {
 protected:
  static std::string Parse(std::string_view text) {
    MailDateTime v = -1;
    const bool found = ParseMailDate(text, v);
    return (found ? "" : "!") + (v == 0 ? std::string("0") : FormatMailDateTime(v));
  }

 private:
  test::JapanTime jst_;
};

TEST_F(MailDates, ReadTheCommonFormsAndConvertZonesToLocalTime) {
  EXPECT_EQ(Parse("Tue, 1 Dec 2026 10:00:00 +0900"), "2026/12/01 10:00:00");
  EXPECT_EQ(Parse("1 Dec 2026 10:00 +0900 (JST)"), "2026/12/01 10:00:00");
  EXPECT_EQ(Parse("Mon, 30 Nov 2026 20:30:15 -0800"), "2026/12/01 13:30:15");
  EXPECT_EQ(Parse("Tue, 1 Dec 2026 01:00:00 GMT"), "2026/12/01 10:00:00");
  EXPECT_EQ(Parse("Fri, 31 dec 99 23:59:59"), "1999/12/31 23:59:59");
  EXPECT_EQ(Parse("Tuesday 10:00:00 01-12-99"), "1999/12/01 10:00:00");
  EXPECT_EQ(Parse("Tuesday 10:00:00 01-12-05"), "2005/12/01 10:00:00");
  EXPECT_EQ(Parse("1-Dec-2026 10:00:00"), "2026/12/01 10:00:00");
  EXPECT_EQ(Parse("Sun, 29 Feb 2026 10:00:00 +0900"), "0");  // not a leap year
  EXPECT_EQ(Parse("no date here"), "!0");
  EXPECT_EQ(Parse(""), "!0");
}

TEST_F(MailDates, WriteTheDateHeaderAndTheStoreFormat) {
  const MailDateTime v = EncodeMailDateTime(2026, 12, 5, 9, 3, 4);
  EXPECT_EQ(MailDateText(v), "Sat, 5 Dec 2026 09:03:04 +0900");
  EXPECT_EQ(MailDateText(EncodeMailDateTime(1899, 12, 30, 0, 0, 0)),
            "Sat, 30 Dec 1899 00:00:00 +0900");
  EXPECT_EQ(FormatMailDateTime(v), "2026/12/05 09:03:04");
  EXPECT_DOUBLE_EQ(EncodeMailDateTime(1927, 5, 18, 0, 0, 0), 10000.0);
  // 2026-12-01 01:00:00 UTC is 10:00 in Japan.
  EXPECT_EQ(FormatMailDateTime(MailDateTimeFromTime(1796086800)), "2026/12/01 10:00:00");
}

TEST(MailIds, MessageIdAndBoundaryHaveTheirFormAndDiffer) {
  std::mt19937 gen(7);
  const std::string id = MakeMessageId("example.jp", EncodeMailDateTime(2026, 12, 5, 9, 0, 0), gen);
  EXPECT_TRUE(std::regex_match(id, std::regex("<HKW\\.2026\\.12\\.05\\.[a-t]{8}@example\\.jp>")))
      << id;
  const std::string b = MakeBoundary(gen);
  EXPECT_TRUE(std::regex_match(b, std::regex("--_VEX_bound_[a-y]{12}"))) << b;
  EXPECT_NE(MakeMessageId("x"), MakeMessageId("x"));
  EXPECT_NE(MakeBoundary(), MakeBoundary());
}

TEST(SmallRoutines, IpAddressesTokensAndTempFiles) {
  for (const char* ip : {"192.168.0.1", "0.0.0.255"}) EXPECT_TRUE(IsIPAddress(ip)) << ip;
  for (const char* no : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1..2.3", "mail.example.jp"}) {
    EXPECT_FALSE(IsIPAddress(no)) << no;
  }
  EXPECT_EQ(TokenToInt("  +OK 12 3456", 2, -1), 12);
  EXPECT_EQ(TokenToInt("+OK 12 3456", 3, -1), 3456);
  EXPECT_EQ(TokenToInt("+OK 12", 4, -1), -1);
  EXPECT_EQ(TokenToInt("+OK abc", 2, -7), -7);
  const std::filesystem::path t = TempFileName();
  EXPECT_FALSE(std::filesystem::exists(t));
  EXPECT_NE(TempFileName(), t);
}

}  // namespace
}  // namespace sorami
