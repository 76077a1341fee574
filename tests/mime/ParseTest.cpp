// Parsing received mail into a TVexMsg: the structure cases, the fixes for real mail, and
// malformed input that must neither crash nor hang.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MailTestUtil.h"
#include "mail/mime/Base64.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/MailDate.h"

namespace sorami {
namespace {

using test::ReadMail;
using test::Sj;
using test::U8;

// "報告.pdf" as a B-encoded ISO-2022-JP word.
const std::string kHoukokuPdf = "=?ISO-2022-JP?B?GyRCSnM5cBsoQi5wZGY=?=";
const std::string kPdfBytes = "%PDF-1.4 \x01\x02\xFF binary";

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::vector<std::string> BodyUtf8(const TVexMsg& msg) {
  std::vector<std::string> out;
  for (const auto& l : msg.Text) out.push_back(U8(l));
  return out;
}

TEST(ParseMsg, MixedTextAndPdfGiveOneBodyAndOneJapaneseNamedAttachment) {
  TVexMsg msg;
  ReadMail(Join({"Subject: =?ISO-2022-JP?B?GyRCSnM5cBsoQg==?=",
                 "Content-Type: multipart/mixed; boundary=\"b1\"", "", "preamble", "--b1",
                 "Content-Type: text/plain; charset=ISO-2022-JP", "", "\x1B$BK\\J8\x1B(B", "",
                 "--b1", "Content-Type: application/pdf; name=\"" + kHoukokuPdf + "\"",
                 "Content-Transfer-Encoding: base64", "", Base64Encode(kPdfBytes), "", "--b1--",
                 "epilogue"}),
           msg);
  EXPECT_EQ(U8(msg.Subject), "報告");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"本文"}));
  ASSERT_EQ(msg.Attachments.Count(), 1u);
  EXPECT_EQ(U8(msg.Attachments[0].Name), "報告.pdf");
  EXPECT_EQ(msg.Attachments[0].Data, kPdfBytes);
  EXPECT_EQ(msg.Attachments[0].ContentType, "application/pdf");
  EXPECT_FALSE(msg.Attachments[0].BodyAlternative);
}

TEST(ParseMsg, AlternativeInsideMixedGivesThePlainTextAndAnHtmlRenderingNamedAfterTheSubject) {
  TVexMsg msg;
  ReadMail(Join({"Subject: Plan.final",
                 "Content-Type: multipart/mixed; boundary=outer",
                 "",
                 "--outer",
                 "Content-Type: multipart/alternative; boundary=\"inner\"",
                 "",
                 "--inner",
                 "Content-Type: text/plain; charset=utf-8",
                 "Content-Transfer-Encoding: quoted-printable",
                 "",
                 "=E6=97=A5=E6=9C=AC",
                 "",
                 "--inner",
                 "Content-Type: text/enriched",
                 "",
                 "<bold>enriched</bold>",
                 "",
                 "--inner",
                 "Content-Type: text/html; charset=utf-8",
                 "",
                 "<p>\xE6\x97\xA5\xE6\x9C\xAC</p>",
                 "",
                 "--inner--",
                 "",
                 "--outer",
                 "Content-Type: image/png",
                 "Content-Transfer-Encoding: base64",
                 "",
                 Base64Encode("PNGDATA"),
                 "--outer--"}),
           msg);
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"日本"}));  // enriched is not shown twice
  ASSERT_EQ(msg.Attachments.Count(), 2u);
  EXPECT_EQ(msg.Attachments[0].Name, "Plan.html");
  EXPECT_TRUE(msg.Attachments[0].BodyAlternative);
  EXPECT_EQ(msg.Attachments[0].ContentType, "text/html");
  // A picture without a name is named after the subject too, by its type.
  EXPECT_EQ(msg.Attachments[1].Name, "Plan.png");
  EXPECT_EQ(msg.Attachments[1].Data, "PNGDATA");
}

TEST(ParseMsg, FileNamesLoseWhatCouldLeaveTheAttachmentDirectory) {
  TVexMsg msg;
  ReadMail(Join({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                 "Content-Type: application/octet-stream; name=\"a:b?.txt\"", "", "one", "--b",
                 "Content-Type: application/octet-stream; name=\"..\\\\..\\\\" + Sj("ソ表") +
                     "/x|*.txt\"",
                 "", "two", "--b", "Content-Type: application/octet-stream; name=\". .\"", "",
                 "three", "--b", "", "untyped part after a named one", "--b--"}),
           msg);
  ASSERT_EQ(msg.Attachments.Count(), 3u);
  EXPECT_EQ(msg.Attachments[2].Name, "noname.dat");  // dots alone name no file
  EXPECT_EQ(msg.Attachments[0].Name, "ab.txt");
  EXPECT_EQ(msg.Attachments[0].Data, "one");
  EXPECT_EQ(U8(msg.Attachments[1].Name), "....ソ表x.txt");
  EXPECT_EQ(msg.Text, (std::vector<std::string>{"untyped part after a named one"}));
}

TEST(ParseMsg, UuencodedBlocksInPlainTextBecomeAttachments) {
  TVexMsg msg;
  ReadMail(
      Join({"Subject: uu", "", "see the file", "begin 644 cat.txt", "#0V%T", "`", "end", "after"}),
      msg);
  ASSERT_EQ(msg.Attachments.Count(), 1u);
  EXPECT_EQ(msg.Attachments[0].Name, "cat.txt");
  EXPECT_EQ(msg.Attachments[0].Data, "Cat");
  EXPECT_EQ(msg.Attachments[0].ContentType, "application/octet-stream");
  EXPECT_EQ(msg.Text, (std::vector<std::string>{"see the file", "end", "after"}));

  TVexMsg broken;  // a format error ends only that attachment
  ReadMail(Join({"", "begin 644 a.bin", "#0V%T",
                 "\x7F"
                 "bad line",
                 "#0V%T", "end", "begin 600 b.bin", "#0V%T", "end", "text"}),
           broken);
  ASSERT_EQ(broken.Attachments.Count(), 2u);
  EXPECT_EQ(broken.Attachments[0].Data, "Cat");  // what came before the broken line
  EXPECT_EQ(broken.Attachments[1].Name, "b.bin");
  EXPECT_EQ(broken.Attachments[1].Data, "Cat");
  EXPECT_EQ(broken.Text.back(), "text");

  TVexMsg unended;  // no "end": the block runs to the end of the body
  ReadMail(Join({"", "begin 644 x.bin", "#0V%T", "#0V%T"}), unended);
  ASSERT_EQ(unended.Attachments.Count(), 1u);
  EXPECT_EQ(unended.Attachments[0].Data, "CatCat");
  EXPECT_TRUE(unended.Text.empty());
}

TEST(ParseMsg, EveryPartIsReadInItsOwnCharsetWhateverItsEncoding) {
  TVexMsg msg;
  ReadMail(Join({"Content-Type: multipart/mixed; boundary=b",
                 "",
                 "--b",
                 "Content-Type: text/plain; charset=\"Shift_JIS\"",
                 "Content-Transfer-Encoding: base64",
                 "",
                 Base64Encode(Sj("一")),
                 "--b",
                 "Content-Type: text/plain; charset=euc-jp",
                 "Content-Transfer-Encoding: quoted-printable",
                 "",
                 "=C6=F3",
                 "--b",
                 "Content-Type: text/plain; charset=utf-8",
                 "Content-Transfer-Encoding: 8bit",
                 "",
                 "\xE4\xB8\x89 \xF0\x9F\x98\x80",
                 "--b",
                 "Content-Type: text/plain",
                 "",
                 "\x1B$B;M\x1B(B",
                 "--b--"}),
           msg);
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"一", "二", "三 〓", "四"}));
}

TEST(ParseMsg, Rfc2231FileNamesAndDispositionNamesArePreferred) {
  TVexMsg msg;
  ReadMail(Join({"Content-Type: multipart/mixed; boundary=b", "", "--b",
                 "Content-Type: application/pdf; name=\"fallback.pdf\"",
                 "Content-Disposition: attachment;", " filename*0*=UTF-8''%E5%A0%B1%E5%91%8A;",
                 " filename*1*=%E6%9B%B8.pdf", "", "x", "--b",
                 "Content-Type: text/plain; name=\"type-name.txt\"",
                 "Content-Disposition: attachment; filename=\"disposition-name.txt\"", "", "y",
                 "--b--"}),
           msg);
  ASSERT_EQ(msg.Attachments.Count(), 2u);
  EXPECT_EQ(U8(msg.Attachments[0].Name), "報告書.pdf");
  EXPECT_EQ(msg.Attachments[1].Name, "disposition-name.txt");
}

TEST(ParseMsg, SevenBitAndQuotedPrintableAttachmentsKeepTheirBytes) {
  TVexMsg msg;
  ReadMail(
      Join({"Content-Type: multipart/mixed; boundary=b", "", "--b",
            "Content-Type: application/json; name=a.json", "", "", "{\"a_b\":1}", "--b",
            "Content-Type: text/x-csv; name=b.csv", "Content-Transfer-Encoding: quoted-printable",
            "", "snake_case,=E2=82=AC=", "=3D", "--b--"}),
      msg);
  ASSERT_EQ(msg.Attachments.Count(), 2u);
  EXPECT_EQ(msg.Attachments[0].Data, "\r\n{\"a_b\":1}");  // the leading empty line is data
  EXPECT_EQ(msg.Attachments[1].Data, "snake_case,\xE2\x82\xAC=");
}

TEST(ParseMsg, HtmlOnlyMailShowsItsText) {
  TVexMsg msg;
  ReadMail(Join({"Subject: news", "Content-Type: text/html; charset=utf-8", "",
                 "<html><head><title>t</title><style>p{}</style></head><body>",
                 "<p>Hello &amp; <b>welcome</b>&#x3042;</p><p>line&nbsp;2<br>line 3</p>",
                 "<script>alert(1)</script></body></html>"}),
           msg);
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"Hello & welcomeあ", "", "line 2", "line 3"}));

  TVexMsg alt;
  ReadMail(Join({"Subject: only html", "Content-Type: multipart/alternative; boundary=a", "", "--a",
                 "Content-Type: text/html; charset=iso-2022-jp", "", "<div>\x1B$BK\\J8\x1B(B</div>",
                 "--a--"}),
           alt);
  EXPECT_EQ(BodyUtf8(alt), (std::vector<std::string>{"本文"}));
  ASSERT_EQ(alt.Attachments.Count(), 1u);
  EXPECT_EQ(alt.Attachments[0].Name, "only html.html");  // no ".": ".html" is added
  EXPECT_TRUE(alt.Attachments[0].BodyAlternative);
}

TEST(ParseMsg, EnclosedMessageIsReadForItsBodyAndAttachments) {
  TVexMsg msg;
  ReadMail(Join({"Subject: fwd", "Content-Type: multipart/mixed; boundary=b", "", "--b",
                 "Content-Type: text/plain", "", "see below", "--b", "Content-Type: message/rfc822",
                 "", "Subject: inner", "Content-Type: text/plain; charset=utf-8",
                 "Content-Transfer-Encoding: base64", "", Base64Encode("\xE5\x86\x85\xE5\x81\xB4"),
                 "--b--"}),
           msg);
  EXPECT_EQ(U8(msg.Subject), "fwd");
  EXPECT_EQ(BodyUtf8(msg), (std::vector<std::string>{"see below", "内側"}));
}

TEST(ParseMsg, BoundaryLinesWithTrailingBlanksAndLfOnlyLineEnds) {
  TVexMsg msg;
  ReadMail(
      "Content-Type: multipart/mixed; boundary=\"=_x\"\n\n--=_x  \nContent-Type: text/plain\n\n"
      "body\n--=_x--\t\n",
      msg);
  EXPECT_EQ(msg.Text, (std::vector<std::string>{"body"}));
}

TEST(ParseMsg, DecodeEventsReportProgressInSteps) {
  struct Recorder : DecodeEvents {
    std::vector<std::string> seen;
    int breaths = 0;
    void OnDecodeStart(std::string_view name, size_t lines) override {
      seen.push_back("start " + std::string(name) + " " + std::to_string(lines));
    }
    void OnDecodeProgress(int percent) override { seen.push_back(std::to_string(percent)); }
    void OnDecodeEnd() override { seen.push_back("end"); }
    void ProcessEvents() override { ++breaths; }
  } rec;
  std::vector<std::string> lines = {"Content-Type: application/octet-stream; name=f.bin",
                                    "Content-Transfer-Encoding: base64", ""};
  const std::string data(57 * 40, 'z');
  const std::string text = Base64Encode(data);
  for (size_t i = 0; i < text.size(); i += 76) lines.push_back(text.substr(i, 76));
  TVexPOP parser;
  parser.Events = &rec;
  parser.DecodeProgressStep = 25;
  TVexMsg msg;
  ReadMail(Join(lines), msg, &parser);
  ASSERT_EQ(msg.Attachments.Count(), 1u);
  EXPECT_EQ(msg.Attachments[0].Data, data);
  EXPECT_EQ(rec.seen, (std::vector<std::string>{"start f.bin 40", "25", "50", "75", "100", "end"}));
  EXPECT_GE(rec.breaths, 4);

  // Three lines: each line's percent once it passes the threshold, and no extra 100.
  Recorder few;
  TVexPOP p2;
  p2.Events = &few;
  TAttachedFile item;
  item.Name = "n";
  const std::vector<std::string_view> three = {"Zm9v", "YmFy", "YmF6"};
  item.Lines = three;
  p2.DecodeBase64Attachment(item);
  EXPECT_EQ(item.Data, "foobarbaz");
  EXPECT_EQ(few.seen, (std::vector<std::string>{"start n 3", "33", "67", "100", "end"}));
}

TEST(ParseMsg, HeaderFieldsAreDecodedAndMissingTypeMeansPlainText) {
  TVexMsg msg;
  // The addresses and ids of every header are checked on the letters; here the rest.
  ReadMail(
      Join({"From user@example.com Tue Dec  1 10:00:00 2026", "Return-Path: <user@example.com>",
            "Date: Tue, 1 Dec 2026 10:00:00 +0900", "Subject: part one; part two", "To: a@x,",
            " =?UTF-8?B?6YO15L6/?= <b@x>", "Content-Type: Text/Plain; charset=us-ascii",
            "Content-Transfer-Encoding: 7Bit", "", "x"}),
      msg);
  EXPECT_EQ(msg.Subject, "part one; part two");
  EXPECT_EQ(msg.From, "user@example.com Tue Dec  1 10:00:00 2026");  // no From: header
  EXPECT_EQ(U8(msg.SendTo), "a@x,郵便<b@x>");
  EXPECT_EQ(msg.ReturnPath, "<user@example.com>");
  EXPECT_EQ(msg.DateText, "Tue, 1 Dec 2026 10:00:00 +0900");
  EXPECT_GT(msg.DateValue, 10000.0);
  EXPECT_EQ(msg.ContentType, "TEXT/PLAIN");
  EXPECT_EQ(msg.Encoding, "7BIT");

  TVexMsg bare;  // no type: 7-bit plain text, whose body starts after the first empty line
  ReadMail(Join({"From: a@b", "Subject: hi", "", "", "line 1", "line 2"}), bare);
  EXPECT_EQ(bare.ContentType, "TEXT/PLAIN");
  EXPECT_EQ(bare.Encoding, "7BIT");
  EXPECT_EQ(bare.Text, (std::vector<std::string>{"line 1", "line 2"}));
  EXPECT_EQ(bare.From, "a@b");
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
  EXPECT_EQ(files.Add("/tmp/plain.txt").Name, "plain.txt");
  EXPECT_EQ(files[1].ContentType, "text/plain");
  EXPECT_EQ(files.Add("noext.zzqq").ContentType, "application/octet-stream");

  test::ScratchDir dir;
  TAttachedFile item;
  item.Data = std::string("a\0b", 3);
  ASSERT_TRUE(item.SaveToFile(dir / "out.bin"));
  EXPECT_EQ(test::ReadFileBytes(dir / "out.bin"), item.Data);
  EXPECT_FALSE(item.SaveToFile(dir / "missing" / "out.bin"));
}

// Malformed input: every case must end, and keep what can be read.
TEST(MalformedMail, TruncatedBase64UnendedBoundaryNulBytesAndHugeHeaders) {
  {
    TVexMsg msg;  // base64 cut in the middle of a group
    ReadMail(Join({"Content-Type: application/octet-stream; name=a",
                   "Content-Transfer-Encoding: base64", "", "Zm9vYmFyYm"}),
             msg);
    ASSERT_EQ(msg.Attachments.Count(), 1u);
    EXPECT_EQ(msg.Attachments[0].Data, "foobarb");
  }
  {
    TVexMsg msg;  // the closing boundary never comes
    ReadMail(Join({"Content-Type: multipart/mixed; boundary=b", "", "--b", "", "first", "--b", "",
                   "second, last"}),
             msg);
    EXPECT_EQ(msg.Text, (std::vector<std::string>{"first", "second, last"}));
  }
  {
    TVexMsg msg;  // no boundary line at all: the body is still shown
    ReadMail(Join({"Content-Type: multipart/mixed; boundary=b", "", "just text"}), msg);
    EXPECT_EQ(msg.Text, (std::vector<std::string>{"just text"}));
  }
  {
    TVexMsg msg;  // NUL bytes in headers and body
    ReadMail(std::string("Subject: a\0b\r\n\r\nx\0y\r\n", 19), msg);
    EXPECT_EQ(msg.Subject, "ab");
    EXPECT_EQ(msg.Text, (std::vector<std::string>{"x y"}));
  }
  {
    TVexMsg msg;  // a header of a megabyte, folded and in one line, full of broken words
    std::string big = "Subject: ";
    for (int i = 0; i < 20000; ++i) big += "=?UTF-8?B?5pel?= =?UTF-8?B?5pel?= =?x?Q?\r\n ";
    big += "\r\nTo: " + std::string(1 << 20, 'a') + "\r\n\r\nbody\r\n";
    ReadMail(big, msg);
    EXPECT_EQ(msg.SendTo.size(), size_t(1) << 20);
    EXPECT_EQ(msg.Text, (std::vector<std::string>{"body"}));
    EXPECT_EQ(msg.Subject.substr(0, 14), Sj("日日") + " =?x?Q? " + Sj("日"));
  }
  {
    TVexMsg msg;  // multiparts nested far deeper than any real mail
    std::string deep;
    for (int i = 0; i < 200; ++i) {
      deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n--b" +
              std::to_string(i) + "\r\n";
    }
    deep += "\r\ninnermost\r\n";
    ReadMail(deep, msg);
    EXPECT_FALSE(msg.Text.empty());
  }
}

}  // namespace
}  // namespace sorami
