// Mails read from their original bytes in full Unicode, and mbox files written and read.
#include <gtest/gtest.h>

#include "mail/mime/Base64.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/Mbox.h"
#include "mail/mime/UnicodeMail.h"
#include "mime/MailTestUtil.h"

namespace sorami {
namespace {

using namespace test;

TEST(UnicodeMail, EveryCharacterOfAUtf8MailSurvivesWhereTheStoreTextLosesIt) {
  const std::string text = "絵文字😀と𠮷野家、한국어、①、ｶﾀｶﾅ";
  const std::string raw =
      Crlf("From: =?UTF-8?B?" + Base64Encode("絵文字😀さん") +
           "?= <emoji@example.jp>\nTo: =?UTF-8?Q?=F0=9F=98=80?= <x@example.jp>\n"
           "Subject: =?UTF-8?B?" +
           Base64Encode("𠮷野家😀") +
           "?=\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: base64\n\n" +
           Base64Encode(text + "\n2行目\n"));
  const UnicodeMail mail = ReadUnicodeMail(raw);
  EXPECT_EQ(mail.from, "絵文字😀さん <emoji@example.jp>");
  EXPECT_EQ(mail.to, "😀 <x@example.jp>");
  EXPECT_EQ(mail.subject, "𠮷野家😀");
  EXPECT_EQ(mail.body, text + "\n2行目\n");
  // The same mail as the store keeps it: what code page 932 lacks is "〓".
  EXPECT_EQ(U8(ParseMail(raw).Subject), "〓野家〓");
}

TEST(UnicodeMail, JapaneseCodesKeepTheirCodePage932Characters) {
  // ISO-2022-JP with a circled digit and half-width katakana (ESC ( I), as Japanese mailers
  // send them; EUC-JP in quoted-printable; an undeclared Shift_JIS header.
  const UnicodeMail jis = ReadUnicodeMail(
      "Subject: \x93\xfa\x96\x7b\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
      "\x1B$B-!\x1B(B \x1B(I6@6E\x1B(B\r\n");
  EXPECT_EQ(jis.body, "① ｶﾀｶﾅ");  // the last line end ends the part, not the text
  EXPECT_EQ(jis.subject, "日本");
  const UnicodeMail euc = ReadUnicodeMail(
      "Content-Type: text/plain; charset=euc-jp\r\nContent-Transfer-Encoding: "
      "quoted-printable\r\n\r\n=C6=FC=CB=DC=\r\n=B8=EC\r\n");
  EXPECT_EQ(euc.body, "日本語");
  // Latin-1 through the platform, and a stray byte in UTF-8 shown as U+FFFD, not dropped.
  EXPECT_EQ(ReadUnicodeMail("Content-Type: text/plain; charset=iso-8859-1\r\n\r\ncaf\xe9\r\n").body,
            "café");
  EXPECT_EQ(ReadUnicodeMail("Content-Type: text/plain; charset=utf-8\r\n\r\na\xff\x62\r\n").body,
            "a\xEF\xBF\xBD"
            "b");
}

TEST(UnicodeMail, TheBodyIsThePlainRenderingAndForwardedMailIsAFile) {
  const UnicodeMail mail =
      ReadUnicodeMail(Crlf("Subject: mixed\nContent-Type: multipart/mixed; boundary=m\n\n--m\n"
                           "Content-Type: multipart/alternative; boundary=a\n\n--a\n"
                           "Content-Type: text/plain; charset=utf-8\n\nplain 😀\n--a\n"
                           "Content-Type: text/html; charset=utf-8\n\n<p>html</p>\n--a--\n--m\n"
                           "Content-Type: message/rfc822\n\nSubject: =?UTF-8?B?" +
                           Base64Encode("転送😀") +
                           "?=\n\ninner body\n--m\nContent-Type: application/pdf; name=\"a.pdf\"\n"
                           "Content-Transfer-Encoding: base64\n\nJVBERg==\n--m--\n"));
  EXPECT_EQ(mail.body, "plain 😀");
  EXPECT_EQ(mail.attachments, (std::vector<std::string>{"転送😀.eml", "a.pdf"}));
  const std::string shown = UnicodeMailText(mail);
  EXPECT_NE(shown.find("Subject: mixed\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Attachment: 転送😀.eml\n"), std::string::npos) << shown;
  EXPECT_TRUE(shown.ends_with("\n\nplain 😀\n")) << shown;

  // A mail of HTML alone shows the text of its HTML, every character kept: raw, by reference,
  // in a charset the store cannot hold, with markup-like bytes inside a multi-byte character.
  EXPECT_EQ(ReadUnicodeMail("Content-Type: text/html; charset=utf-8\r\n\r\n<p>only</p>\r\n").body,
            "only");
  EXPECT_EQ(ReadUnicodeMail(Crlf("Content-Type: text/html; charset=utf-8\n\n"
                                 "<p>絵文字😀 &#x1F600;&#134071; &hellip; 한국어</p><p>&lt;①&gt; "
                                 "&#0;</p>\n"))
                .body,
            "絵文字😀 😀𠮷 … 한국어\n\n<①> 〓");  // paragraphs apart, as in the store
  EXPECT_EQ(
      ReadUnicodeMail("Content-Type: text/html; charset=iso-8859-1\r\n\r\n<b>caf\xe9</b>\r\n").body,
      "café");
}

TEST(Mbox, FromLinesAreQuotedOnTheWayOutAndGivenBackOnTheWayIn) {
  const std::string first = "Subject: a\r\n\r\nFrom here\r\n>From there\r\nplain\r\n";
  const std::string second = "Subject: b\r\n\r\nlast line\r\n";
  std::string mbox;
  AppendMbox(mbox, "taro@example.jp", EncodeMailDateTime(2026, 12, 7, 9, 5, 3), first);
  AppendMbox(mbox, "", EncodeMailDateTime(2026, 12, 6, 0, 0, 0), second);
  EXPECT_EQ(mbox,
            "From taro@example.jp Mon Dec  7 09:05:03 2026\nSubject: a\n\n>From here\n>>From "
            "there\nplain\n\nFrom MAILER-DAEMON Sun Dec  6 00:00:00 2026\nSubject: b\n\nlast "
            "line\n\n");
  EXPECT_EQ(ReadMbox(mbox), (std::vector<std::string>{first, second}));
  // Text before the first "From " line is no mail; CR LF files read as well.
  EXPECT_EQ(ReadMbox("junk\r\nFrom x\r\nSubject: c\r\n\r\nbody\r\n").size(), 1u);
}

TEST(Mbox, AMessageWithoutAnOriginalBecomesAPlainUtf8Mail) {
  const LocalZone tokyo("JST-9");
  const std::string mail = MakeTextMail(
      {"山田😀 (site)", "hanako", "件名", EncodeMailDateTime(2026, 12, 1, 10, 0, 0), "本文𠮷\n"});
  const UnicodeMail back = ReadUnicodeMail(mail);
  EXPECT_EQ(back.from, "山田😀 (site)");
  EXPECT_EQ(back.subject, "件名");
  EXPECT_EQ(back.date, "Tue, 1 Dec 2026 10:00:00 +0900");
  EXPECT_EQ(back.body, "本文𠮷\n");
}

}  // namespace
}  // namespace sorami
