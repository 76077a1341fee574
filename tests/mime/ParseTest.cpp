// Parsing received mail beyond the structures of the letters and the kept messages, the fixes
// for real mail, and malformed input that must neither crash nor hang (LF ends lines here).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MailTestUtil.h"
#include "base/DiagLog.h"
#include "mail/mime/Base64.h"
#include "mail/mime/KanjiCode.h"

namespace sorami {
namespace {

using test::ParseMail;
using test::Sj;
using test::U8;

std::vector<std::string> BodyUtf8(const TVexMsg& msg) {
  std::vector<std::string> out;
  for (const auto& l : msg.Text) out.push_back(U8(l));
  return out;
}

TEST(ParseMsg, AlternativeInsideMixedGivesThePlainTextAndAnHtmlRenderingNamedAfterTheSubject) {
  const TVexMsg msg = ParseMail(
      "Subject: Plan.final\nContent-Type: multipart/mixed; boundary=outer\n\n--outer\n"
      "Content-Type: multipart/alternative; boundary=\"inner\"\n\n--inner\n"
      "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n"
      "=E6=97=A5=E6=9C=AC\n\n--inner\nContent-Type: text/enriched\n\n<bold>enriched</bold>\n\n"
      "--inner\nContent-Type: text/html; charset=utf-8\n\n<p>\xE6\x97\xA5\xE6\x9C\xAC</p>\n\n"
      "--inner--\n\n--outer\nContent-Type: image/png\nContent-Transfer-Encoding: base64\n\n" +
      Base64Encode("PNGDATA") + "\n--outer--\n");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"日本"}));  // enriched is not shown twice
  ASSERT_EQ(msg.Attachments.Count(), 2u);
  EXPECT_EQ(msg.Attachments[0].Name, "Plan.html");
  EXPECT_TRUE(msg.Attachments[0].BodyAlternative);
  EXPECT_EQ(msg.Attachments[0].ContentType, "text/html");
  // A picture without a name is named after the subject too, by its type.
  EXPECT_EQ(msg.Attachments[1].Name, "Plan.png");
  EXPECT_EQ(msg.Attachments[1].Data, "PNGDATA");
}

TEST(ParseMsg, FileNamesPreferTheDispositionAndLoseWhatCouldLeaveTheAttachmentDirectory) {
  const TVexMsg msg = ParseMail(
      "Content-Type: multipart/mixed; boundary=b\n\n--b\n"
      "Content-Type: application/octet-stream; name=\"a:b?.txt\"\n\none\n--b\n"
      // ..\..\ソ表/x|*.txt, where ソ and 表 end in the byte of "\".
      "Content-Type: application/octet-stream; name=\"..\\\\..\\\\\x83\\\x95\\/x|*.txt\"\n\ntwo\n"
      "--b\nContent-Type: application/octet-stream; name=\". .\"\n\nthree\n"
      "--b\nContent-Type: text/plain; name=\"type-name.txt\"\n"
      "Content-Disposition: attachment; filename=\"disposition-name.txt\"\n\ny\n"
      "--b\n\nuntyped part after a named one\n--b--\n");
  ASSERT_EQ(msg.Attachments.Count(), 4u);
  EXPECT_EQ(msg.Attachments[0].Name, "ab.txt");
  EXPECT_EQ(msg.Attachments[0].Data, "one");
  EXPECT_EQ(U8(msg.Attachments[1].Name), "....ソ表x.txt");
  EXPECT_EQ(msg.Attachments[2].Name, "noname.dat");  // dots alone name no file
  EXPECT_EQ(msg.Attachments[3].Name, "disposition-name.txt");
  EXPECT_EQ(msg.Text, (std::vector<std::string>{"untyped part after a named one"}));
}

std::string Repeat(std::string_view text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

TEST(ParseMsg, FileNamesAreCheckedAfterDecodingAndKeptToWholeCharactersOf255Bytes) {
  const struct {
    std::string params, name;
  } kCases[] = {
      // A lead byte without a second byte hides no "/", NUL or LF; ソ (83 5C) stays whole.
      {"; filename*=shift_jis''a%81/b%81%00c%81%0Ad%83%5C", "abcdソ"},
      // An encoded word inside doubled quotes, as Japanese mailers write it.
      {"; filename=\"\"=?ISO-2022-JP?B?GyRCSnM5cBsoQg==?=\"\"", "報告"},
      // Cut at a character, the extension kept: 2 x 125 + 4 bytes.
      {"; filename=\"" + Sj(Repeat("表", 200)) + ".pdf\"", Repeat("表", 125) + ".pdf"},
  };
  for (const auto& c : kCases) {
    const TVexMsg msg = ParseMail(
        "Subject: subject\nContent-Type: multipart/mixed; boundary=b\n\n"
        "--b\nContent-Disposition: attachment" +
        c.params + "\n\nx\n--b--\n");
    ASSERT_EQ(msg.Attachments.Count(), 1u) << c.params;
    EXPECT_EQ(U8(msg.Attachments[0].Name), c.name) << c.params;
  }
}

TEST(ParseMsg, UuencodedBlocksInPlainTextBecomeAttachments) {
  const TVexMsg msg =
      ParseMail("Subject: uu\n\nsee the file\nbegin 644 cat.txt\n#0V%T\n`\nend\nafter\n");
  ASSERT_EQ(msg.Attachments.Count(), 1u);
  EXPECT_EQ(msg.Attachments[0].Name, "cat.txt");
  EXPECT_EQ(msg.Attachments[0].Data, "Cat");
  EXPECT_EQ(msg.Attachments[0].ContentType, "application/octet-stream");
  EXPECT_EQ(msg.Text, (std::vector<std::string>{"see the file", "end", "after"}));

  // A format error ends only that attachment, which keeps what came before the broken line.
  const TVexMsg broken = ParseMail(
      "\nbegin 644 a.bin\n#0V%T\n\177bad line\n#0V%T\nend\nbegin 600 b.bin\n#0V%T\nend\ntext\n");
  ASSERT_EQ(broken.Attachments.Count(), 2u);
  EXPECT_EQ(broken.Attachments[0].Data, "Cat");
  EXPECT_EQ(broken.Attachments[1].Name, "b.bin");
  EXPECT_EQ(broken.Attachments[1].Data, "Cat");
  EXPECT_EQ(broken.Text.back(), "text");

  const TVexMsg unended = ParseMail("\nbegin 644 x.bin\n#0V%T\n#0V%T\n");  // runs to the end
  ASSERT_EQ(unended.Attachments.Count(), 1u);
  EXPECT_EQ(unended.Attachments[0].Data, "CatCat");
  EXPECT_TRUE(unended.Text.empty());
}

// A uuencoded file cut before its "end" line (in the text or as a part of its own) keeps
// what it holds, but the mail reads as damaged, and the log says which file.
TEST(ParseMsg, UuencodedFileWithoutItsEndMakesTheMailDamaged) {
  const std::string part =
      "Content-Type: multipart/mixed; boundary=b\n\n--b\n"
      "Content-Type: application/octet-stream; name=x.bin\n"
      "Content-Transfer-Encoding: x-uuencode\n\nbegin 644 x.bin\n#0V%T\n";
  const struct {
    std::string raw;
    bool whole;
  } kCases[] = {{"\nbegin 644 x.bin\n#0V%T\n`\nend\n", true},
                {"\nbegin 644 x.bin\n#0V%T\n`\n", false},
                {part + "`\nend\n--b--\n", true},
                {part + "--b--\n", false}};
  for (const auto& c : kCases) {
    DiagLog log;
    log.Attach();
    TVexPOP parser;
    parser.Log = &log;
    TVexMsg msg;
    msg.Lines.AssignText(c.raw);
    EXPECT_EQ(ParseReceivedMail(parser, msg), c.whole) << c.raw;
    ASSERT_EQ(msg.Attachments.Count(), 1u) << c.raw;
    EXPECT_EQ(msg.Attachments[0].Data, "Cat") << c.raw;
    EXPECT_EQ(log.Text().find("x.bin") != std::string::npos, !c.whole) << log.Text();
  }
}

TEST(ParseMsg, EveryPartIsReadInItsOwnCharsetWhateverItsEncoding) {
  const TVexMsg msg = ParseMail(
      "Content-Type: multipart/mixed; boundary=b\n\n--b\n"
      "Content-Type: text/plain; charset=\"Shift_JIS\"\nContent-Transfer-Encoding: base64\n\n" +
      Base64Encode(Sj("一")) +
      "\n--b\nContent-Type: text/plain; charset=euc-jp\n"
      "Content-Transfer-Encoding: quoted-printable\n\n=C6=F3\n--b\n"
      "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n"
      "\xE4\xB8\x89 \xF0\x9F\x98\x80\n--b\nContent-Type: text/plain\n\n\x1B$B;M\x1B(B\n--b--\n");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"一", "二", "三 〓", "四"}));
}

TEST(ParseMsg, SevenBitAndQuotedPrintableAttachmentsKeepTheirBytes) {
  const TVexMsg msg = ParseMail(
      "Content-Type: multipart/mixed; boundary=b\n\n--b\n"
      "Content-Type: application/json; name=a.json\n\n\n{\"a_b\":1}\n--b\n"
      "Content-Type: text/x-csv; name=b.csv\nContent-Transfer-Encoding: quoted-printable\n\n"
      "snake_case,=E2=82=AC=\n=3D\n--b--\n");
  ASSERT_EQ(msg.Attachments.Count(), 2u);
  EXPECT_EQ(msg.Attachments[0].Data, "\r\n{\"a_b\":1}");  // the leading empty line is data
  EXPECT_EQ(msg.Attachments[1].Data, "snake_case,\xE2\x82\xAC=");
}

TEST(ParseMsg, HtmlOnlyMailShowsItsText) {
  const TVexMsg msg = ParseMail(
      "Subject: news\nContent-Type: text/html; charset=utf-8\n\n"
      "<html><head><title>t</title><style>p{}</style></head><body>\n"
      "<p>Hello &amp; <b>welcome</b>&#x3042;</p><p>line&nbsp;2<br>line 3</p>\n"
      "<script>alert(1)</script></body></html>\n");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"Hello & welcomeあ", "", "line 2", "line 3"}));
  // A "<" that starts no tag is text.
  EXPECT_EQ(
      ParseMail("Content-Type: text/html\n\n<p>1 < 2, 3 <= 4</p><p>5<6 <b>a</b> <</p>\n").Text,
      (std::vector<std::string>{"1 < 2, 3 <= 4", "", "5<6 a <"}));

  const TVexMsg alt = ParseMail(
      "Subject: only html\nContent-Type: multipart/alternative; boundary=a\n\n--a\n"
      "Content-Type: text/html; charset=iso-2022-jp\n\n<div>\x1B$BK\\J8\x1B(B</div>\n--a--\n");
  EXPECT_EQ(BodyUtf8(alt), (std::vector<std::string>{"本文"}));
  ASSERT_EQ(alt.Attachments.Count(), 1u);
  EXPECT_EQ(alt.Attachments[0].Name, "only html.html");  // no ".": ".html" is added
  EXPECT_TRUE(alt.Attachments[0].BodyAlternative);
}

TEST(ParseMsg, AForwardedMessageStaysAMessageAttachedAsEml) {
  const std::string inner =
      "From: jiro@example.jp\nDate: Tue, 1 Dec 2026 10:00:00 +0900\nSubject: "
      "=?UTF-8?B?5YaF5YG0?=\nContent-Type: text/plain; charset=utf-8\n"
      "Content-Transfer-Encoding: base64\n\n" +
      Base64Encode("\xE5\x86\x85\xE5\x81\xB4");
  const TVexMsg msg = ParseMail(
      "Subject: fwd\nContent-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\n"
      "see below\n--b\nContent-Type: message/rfc822\n\n" +
      inner + "\n--b--\n");
  EXPECT_EQ(U8(msg.Subject), "fwd");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"see below"}));
  ASSERT_EQ(msg.Attachments.Count(), 1u);
  EXPECT_EQ(U8(msg.Attachments[0].Name), "内側.eml");  // named after its own subject
  EXPECT_EQ(msg.Attachments[0].ContentType, "message/rfc822");
  // Its sender, date and subject are still in it, as the forwarder sent them.
  EXPECT_EQ(msg.Attachments[0].Data, test::Crlf(inner));
}

TEST(ParseMsg, HeaderFieldsAreDecodedAndMissingTypeMeansPlainText) {
  const TVexMsg msg = ParseMail(
      "From user@example.com Tue Dec  1 10:00:00 2026\nReturn-Path: <user@example.com>\n"
      "Subject: part one; part two\nContent-Type: Text/Plain; charset=us-ascii\n"
      "Content-Transfer-Encoding: 7Bit\n\nx\n");
  EXPECT_EQ(msg.Subject, "part one; part two");
  EXPECT_EQ(msg.From, "user@example.com Tue Dec  1 10:00:00 2026");  // no From: header
  EXPECT_EQ(msg.ReturnPath, "<user@example.com>");
  EXPECT_EQ(msg.ContentType, "TEXT/PLAIN");
  EXPECT_EQ(msg.Encoding, "7BIT");

  // No type: 7-bit plain text, whose body starts after the first empty line.
  const TVexMsg bare = ParseMail("From: a@b\nSubject: hi\n\n\nline 1\nline 2\n");
  EXPECT_EQ(bare.ContentType, "TEXT/PLAIN");
  EXPECT_EQ(bare.Encoding, "7BIT");
  EXPECT_EQ(bare.Text, (std::vector<std::string>{"line 1", "line 2"}));
  EXPECT_TRUE(bare.Attachments.empty());
}

TEST(ReceiveFixes, UnencodedJisHeadersAndASubjectThatLostItsEscapes) {
  TVexMsg msg;
  msg.Subject = "$BK\\J8(B test";
  msg.From = "\x1B$BK\\J8\x1B(B <a@b>";
  msg.Text = {"\x1B$BK\\J8", "J8\x1B(B"};  // JIS that spans a line end
  ApplyReceiveFixes(msg);
  EXPECT_EQ(U8(msg.Subject), "本文 test");
  EXPECT_EQ(U8(msg.From), "本文 <a@b>");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"本文", "文"}));

  TVexMsg plain;
  plain.Subject = "$Billion deals";  // no JIS in it: left alone
  ApplyReceiveFixes(plain);
  EXPECT_EQ(plain.Subject, "$Billion deals");
}

TEST(Attachments, OutgoingNameIsJisAndTypeComesFromTheExtension) {
  TAttachedFiles files;
  const TAttachedFile& pdf = files.Add(Sj("C:\\文書\\報告.pdf"));
  EXPECT_EQ(JisToSjis(pdf.Name), Sj("報告.pdf"));
  EXPECT_EQ(pdf.Name.substr(0, 3), "\x1B$B");
  EXPECT_EQ(pdf.ContentType, "application/pdf");
}

// Malformed input: every case must end, and keep what can be read.
TEST(MalformedMail, TruncatedBase64BrokenBoundariesNulBytesHugeHeadersAndDeepNesting) {
  const TVexMsg cut = ParseMail(  // base64 cut in the middle of a group
      "Content-Type: application/octet-stream; name=a\nContent-Transfer-Encoding: base64\n\n"
      "Zm9vYmFyYm\n");
  ASSERT_EQ(cut.Attachments.Count(), 1u);
  EXPECT_EQ(cut.Attachments[0].Data, "foobarb");
  // The closing boundary never comes; no boundary line at all; blanks after the boundaries.
  EXPECT_EQ(
      ParseMail("Content-Type: multipart/mixed; boundary=b\n\n--b\n\nfirst\n--b\n\nsecond, last\n")
          .Text,
      (std::vector<std::string>{"first", "second, last"}));
  EXPECT_EQ(ParseMail("Content-Type: multipart/mixed; boundary=b\n\njust text\n").Text,
            (std::vector<std::string>{"just text"}));
  EXPECT_EQ(ParseMail("Content-Type: multipart/mixed; boundary=\"=_x\"\n\n--=_x  \n"
                      "Content-Type: text/plain\n\nbody\n--=_x--\t\n")
                .Text,
            (std::vector<std::string>{"body"}));

  const TVexMsg nul = ParseMail(std::string("Subject: a\0b\r\n\r\nx\0y\r\n", 19));
  EXPECT_EQ(nul.Subject, "ab");
  EXPECT_EQ(nul.Text, (std::vector<std::string>{"x y"}));

  // A header of a megabyte, folded and in one line, full of broken words.
  std::string big = "Subject: ";
  for (int i = 0; i < 20000; ++i) big += "=?UTF-8?B?5pel?= =?UTF-8?B?5pel?= =?x?Q?\r\n ";
  const TVexMsg huge = ParseMail(big + "\r\nTo: " + std::string(1 << 20, 'a') + "\r\n\r\nbody\r\n");
  EXPECT_EQ(huge.SendTo.size(), size_t(1) << 20);
  EXPECT_EQ(huge.Text, (std::vector<std::string>{"body"}));
  EXPECT_EQ(huge.Subject.substr(0, 14), Sj("日日") + " =?x?Q? " + Sj("日"));

  std::string deep;  // multiparts nested far deeper than any real mail
  for (int i = 0; i < 200; ++i) {
    deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n--b" +
            std::to_string(i) + "\r\n";
  }
  EXPECT_FALSE(ParseMail(deep + "\r\ninnermost\r\n").Text.empty());
}

TEST(MalformedMail, PartsBeyondTenThousandAreKeptAsText) {
  std::string raw = "Content-Type: multipart/mixed; boundary=b\n\n";
  for (int i = 0; i < 20000; ++i)
    raw += "--b\nContent-Type: a/b; name=" + std::to_string(i) + "\n\nx\n";
  const TVexMsg msg = ParseMail(raw + "--b--\n");
  ASSERT_EQ(msg.Attachments.Count(), 10000u);
  EXPECT_EQ(msg.Attachments[9999].Name, "9999");
  ASSERT_FALSE(msg.Text.empty());
  EXPECT_EQ(msg.Text.front(), "Content-Type: a/b; name=10000");
  EXPECT_EQ(msg.Text.back(), "--b--");
}

}  // namespace
}  // namespace sorami
