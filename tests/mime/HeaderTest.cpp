// Encoded words, header parameters, addresses and dates.
#include <gtest/gtest.h>

#include "MailTestUtil.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailDate.h"
#include "mail/mime/MailHeader.h"

namespace sorami {
namespace {

using test::Sj;
using test::U8;

// "報告" in ISO-2022-JP, base64: ESC $ B 4 s 9 p ESC ( B
const std::string kHoukokuB = "GyRCSnM5cBsoQg==";

// Beyond the letters' B and Q words of EUC-JP, ISO-2022-JP and UTF-8 and the kept messages.
TEST(DecodeHeader, DecodesEachCharsetByItsLabelAndJoinsAdjacentWords) {
  EXPECT_EQ(U8(DecodeHeader("=?Shift_JIS?B?l1iV1g==?=")), "郵便");
  EXPECT_EQ(U8(DecodeHeader("=?windows-31j?Q?=87=40?=")), "①");
  EXPECT_EQ(U8(DecodeHeader("=?iso-8859-1?q?caf=E9?=")), "caf〓");  // not in code page 932
  EXPECT_EQ(U8(DecodeHeader("=?UTF-8?Q?a=FFb?=")), "a〓b");
  // Half-width katakana by ESC ( I, and a charset with a language suffix.
  EXPECT_EQ(U8(DecodeHeader("=?ISO-2022-JP*ja?Q?=1B(I12=1B(B?=")), "ｱｲ");
  // An unknown label: the bytes speak for themselves.
  EXPECT_EQ(U8(DecodeHeader("=?x-unknown?Q?=E6=97=A5?=")), "日");
  // Adjacent words are one text, of one charset or not; plain words keep their blanks, and a
  // blank inside a word is text.
  EXPECT_EQ(
      U8(DecodeHeader("=?ISO-2022-JP?B?" + kHoukokuB + "?= =?ISO-2022-JP?B?" + kHoukokuB + "?=")),
      "報告報告");
  EXPECT_EQ(U8(DecodeHeader("Re: =?UTF-8?B?5pel?=\t=?euc-jp?q?=CB=DC?= end")), "Re: 日本 end");
  EXPECT_EQ(U8(DecodeHeader("=?UTF-8?Q?Hello_?= =?UTF-8?Q?World?=")), "Hello World");
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

TEST(Addresses, ExtractAndListAddressesCharacterByCharacter) {
  EXPECT_EQ(ExtractAddress("Taro (comment) <Taro@Example.com>", true), "<Taro@Example.com>");
  EXPECT_EQ(ExtractDisplayName("\"Taro's\" <t@x>", true), "\"Taros\"");
  EXPECT_EQ(ExtractDisplayName("t@x (Taro)", false), "Taro");
  EXPECT_EQ(U8(DecodeAddressList("\"=?UTF-8?B?6YO15L6/?=\" <y@x>, plain@x (Plain Name)")),
            "\"郵便\" <y@x>, \"Plain Name\" <plain@x>");
  // Quoted commas; a kanji whose second byte is "A" keeps its case.
  EXPECT_EQ(AddressListToStrings("\"Yamada, Taro\" <T@X>, B@Y ," + Sj("ア") + " <A@B>"),
            (std::vector<std::string>{"t@x", "b@y", "a@b"}));
  EXPECT_EQ(SplitAddresses("a <x,y@z>, (c,d) e@f, , \"g,h\" <i@j>"),
            (std::vector<std::string>{"a <x,y@z>", "(c,d) e@f", "\"g,h\" <i@j>"}));
  EXPECT_EQ(OnlyMail(Sj("太郎 <t@x>、b@y, 院長, c@z")), "t@x,b@y,c@z");
  EXPECT_EQ(OnlyMail("a@b,,c@d"), "a@b,c@d");  // an empty piece does not end the list
  EXPECT_EQ(FirstBadAddress(Sj("太郎 <t@x>、,b@y")), "");
  EXPECT_EQ(FirstBadAddress("a@b, c@, d@e"), "c@");
  EXPECT_EQ(FirstBadAddress(Sj("b@y、院長")), Sj("院長"));  // a site name is no mail address
  EXPECT_EQ(FirstBadAddress("x <a b@c>"), "x <a b@c>");
  EXPECT_EQ(FirstBadAddress("a@.b"), "a@.b");
}

TEST(HeaderParams, PlainQuotedAndRfc2231) {
  EXPECT_EQ(GetBoundary("multipart/mixed; BOUNDARY = xyz ; charset=x"), "--xyz");

  const std::string ct = "application/pdf; filename=\"wrong.pdf\"; name=\"a;b.pdf\"";
  EXPECT_EQ(GetMimeParam(ct, "NAME"), "a;b.pdf");  // whole names only, quotes may hold ";"
  EXPECT_EQ(GetMimeParam(ct, "charset"), std::nullopt);
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
  EXPECT_EQ(GetMimeParam("a; name=\"x\\\"y\"", "name"), "x\"y");
}

// The date tests run in Japan and in New York: what the receive shows is the local time of
// the machine, and the Date header written on send carries the machine's offset.
class MailDates : public ::testing::TestWithParam<const char*> {
 protected:
  static std::string Parse(std::string_view text) {
    MailDateTime v = -1;
    const bool found = ParseMailDate(text, v);
    return (found ? "" : "!") + (v == 0 ? std::string("0") : FormatMailDateTime(v));
  }
  // Of the two expectations, this zone's.
  std::string In(std::string tokyo, std::string new_york) const {
    return std::string_view(GetParam()) == "Asia/Tokyo" ? tokyo : new_york;
  }

 private:
  test::LocalZone zone_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Zones, MailDates, ::testing::Values("Asia/Tokyo", "America/New_York"));

TEST_P(MailDates, ReadTheCommonFormsAndConvertZonesToLocalTime) {
  EXPECT_EQ(Parse("Tue, 1 Dec 2026 10:00:00 +0900"),
            In("2026/12/01 10:00:00", "2026/11/30 20:00:00"));
  EXPECT_EQ(Parse("1 Dec 2026 10:00 +0900 (JST)"),
            In("2026/12/01 10:00:00", "2026/11/30 20:00:00"));
  EXPECT_EQ(Parse("Mon, 1 Jun 2026 01:00:00 GMT"),
            In("2026/06/01 10:00:00", "2026/05/31 21:00:00"));
  // Without a zone the time is taken as local.
  EXPECT_EQ(Parse("Fri, 31 dec 99 23:59:59"), "1999/12/31 23:59:59");
  EXPECT_EQ(Parse("Tuesday 10:00:00 01-12-99"), "1999/12/01 10:00:00");
  EXPECT_EQ(Parse("Tuesday 10:00:00 01-12-05"), "2005/12/01 10:00:00");
  EXPECT_EQ(Parse("1-Dec-2026 10:00:00"), "2026/12/01 10:00:00");
  EXPECT_EQ(Parse("Sun, 29 Feb 2026 10:00:00 +0900"), "0");  // not a leap year
  EXPECT_EQ(Parse("no date here"), "!0");
}

TEST_P(MailDates, WriteTheDateHeaderWithTheLocalOffsetAndTheStoreFormat) {
  const MailDateTime v = EncodeMailDateTime(2026, 12, 5, 9, 3, 4);
  EXPECT_EQ(MailDateText(v),
            In("Sat, 5 Dec 2026 09:03:04 +0900", "Sat, 5 Dec 2026 09:03:04 -0500"));
  EXPECT_EQ(MailDateText(EncodeMailDateTime(2026, 7, 1, 23, 0, 0)),
            In("Wed, 1 Jul 2026 23:00:00 +0900", "Wed, 1 Jul 2026 23:00:00 -0400"));
  EXPECT_EQ(MailDateText(EncodeMailDateTime(1899, 12, 30, 0, 0, 0)),
            In("Sat, 30 Dec 1899 00:00:00 +0900", "Sat, 30 Dec 1899 00:00:00 -0500"));
  // What is written reads back as the same local time.
  EXPECT_EQ(Parse(MailDateText(v)), "2026/12/05 09:03:04");
  EXPECT_EQ(FormatMailDateTime(v), "2026/12/05 09:03:04");
  EXPECT_DOUBLE_EQ(EncodeMailDateTime(1927, 5, 18, 0, 0, 0), 10000.0);
  // 2026-12-01 01:00:00 UTC.
  EXPECT_EQ(FormatMailDateTime(MailDateTimeFromTime(1796086800)),
            In("2026/12/01 10:00:00", "2026/11/30 20:00:00"));
}

}  // namespace
}  // namespace sorami
