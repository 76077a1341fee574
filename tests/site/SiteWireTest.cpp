#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "site/SendHttp.h"
#include "site/SiteWire.h"
#include "support/AppFixture.h"
#include "support/FakeHttp.h"

namespace sorami {
namespace {

TEST(SiteWire, UrlEncodedBodiesByteForByte) {
  EXPECT_EQ(UrlEncodedBody({"COMMAND=GET", "TOSITE=a b%c"}), "COMMAND=GET&TOSITE=a+b%25c&");
  EXPECT_EQ(UrlEncodedBody({"COMMAND=GETDYN"}), "COMMAND=GETDYN");  // one field: no "&"
  EXPECT_EQ(UrlEncodedBody({"A=", "B=x"}), "A=&B=x&");
  EXPECT_EQ(UrlEncodeValue("\x82\xA0"), "%82%A0");
  EXPECT_EQ(UrlEncodeValue("\x82\x41"), "%82A");  // a letter inside a double-byte character
  EXPECT_EQ(UrlEncodeValue("&=*.-_~+/"), "%26%3D%2A%2E%2D%5F%7E%2B%2F");
  EXPECT_EQ(UrlEncodeValue("a=b=c"), "a%3Db%3Dc");
  EXPECT_EQ(UrlEncodedBody({"HONBUN=x=y"}), "HONBUN=x%3Dy");  // cut at the first "="
}

TEST(SiteWire, MultipartBodyCarriesRawValuesFullWidthPercentAndNumberedFiles) {
  const std::string title = Utf8ToCp932("50%オフ");
  const std::string body =
      MultipartBody({"COMMAND=SENDWIN", "TITLE=" + title},
                    {{"/home/u/a b.txt", std::string("A\0B", 3)}, {"/tmp/x.bin", "xyz"}}, "BND");
  const std::string expected =
      "--BND\r\nContent-Disposition: form-data; name=\"COMMAND\"\r\n\r\nSENDWIN\r\n"
      "--BND\r\nContent-Disposition: form-data; name=\"TITLE\"\r\n\r\n50" +
      Utf8ToCp932("％オフ") +
      "\r\n"
      "--BND\r\nContent-Disposition: form-data; name=\"FILE0\"; filename=\"/home/u/a b.txt\"\r\n"
      "Content-Type: application/octet-stream\r\n\r\n" +
      std::string("A\0B", 3) +
      "\r\n"
      "--BND\r\nContent-Disposition: form-data; name=\"FILE1\"; filename=\"/tmp/x.bin\"\r\n"
      "Content-Type: application/octet-stream\r\n\r\nxyz\r\n--BND--\r\n";
  EXPECT_EQ(body, expected);
}

TEST(SiteWire, AFileGoesOutUnderItsOwnNameWithUnderscoresForWhatCannotBeWritten) {
  EXPECT_EQ(Cp932ToUtf8(SendFileName("/home/u/見積書 ①.txt")), "見積書 ①.txt");
  EXPECT_EQ(Cp932ToUtf8(SendFileName("/home/u/한국어.txt")), "___.txt");
  EXPECT_EQ(Cp932ToUtf8(SendFileName("/x/\xF0\x9F\x98\x80"
                                     "a\xF0\xA0\xAE\xB7.bin")),
            "_a_.bin");
  EXPECT_EQ(Cp932ToUtf8(SendFileName("/x/〓,\"q\"|*\\.txt")), "〓__q____.txt");
  EXPECT_EQ(SendFileName("/x/\x80\xFFz"), "__z");  // bytes that are no character
}

TEST(SiteWire, GetResultSplitsStatusMessageAndValue) {
  std::string value, msg;
  EXPECT_TRUE(GetResult("x\tOK(PGM)done\r\nline1\r\nline2", value, msg));
  EXPECT_EQ(msg, "done");
  EXPECT_EQ(value, "line1\r\nline2");
  EXPECT_TRUE(GetResult("x\tabc ok(pgm)lower\r\n", value, msg));  // found without case
  EXPECT_EQ(msg, "lower");
  EXPECT_FALSE(GetResult("x\trefused", value, msg));
  EXPECT_EQ(msg, "refused");
  EXPECT_EQ(value, "");
  EXPECT_FALSE(GetResult("no tab no line", value, msg));
  EXPECT_EQ(msg, "");
  EXPECT_EQ(value, "");
  EXPECT_FALSE(GetResult("", value, msg));
}

using SendHttpTest = test::FakeSiteTest;

TEST_F(SendHttpTest, OutcomesFollowHowFarTheExchangeGot) {
  SiteAnswer a = SendHTTP(st->site, SiteRequest::kGet, "", {"COMMAND=GET"});  // sends nothing
  EXPECT_EQ(a.outcome, SiteOutcome::kUnreachable);
  EXPECT_EQ(Cp932ToUtf8(a.msg), "HOST未設定");
  EXPECT_TRUE(http->sent.empty());

  http->Answer("x\tOK(PGM)fine\r\nv");
  a = SendHTTP(st->site, SiteRequest::kCheck, "h:81", {"COMMAND=CHECK", "FROMNAME=a b"});
  EXPECT_EQ(a.outcome, SiteOutcome::kOk);
  EXPECT_EQ(a.msg, "fine");
  EXPECT_EQ(a.value, "v");
  ASSERT_EQ(http->sent.size(), 1u);
  EXPECT_EQ(http->sent[0].url, "http://h:81/bn/WbMessage.exe?");
  EXPECT_EQ(http->sent[0].content_type, "application/x-www-form-urlencoded");

  http->Answer("x\tNG wrong password");
  a = SendHTTP(st->site, SiteRequest::kCheck, "h", {"COMMAND=CHECK"});
  EXPECT_EQ(a.outcome, SiteOutcome::kRefused);
  EXPECT_EQ(a.msg, "NG wrong password");

  http->Fail();
  a = SendHTTP(st->site, SiteRequest::kGet, "h", {"COMMAND=GET"});
  EXPECT_EQ(a.outcome, SiteOutcome::kUnreachable);
  EXPECT_EQ(Cp932ToUtf8(a.msg), "接続エラー");
  ASSERT_FALSE(st->aclog.lines().empty());
  EXPECT_NE(Cp932ToUtf8(st->aclog.lines().back()).find("接続エラー"), std::string::npos);

  // The request went out and the connection was cut before an answer.
  HttpResponse cut{false, 0, "", "closed"};
  cut.request_sent = true;
  http->answers.push_back(cut);
  EXPECT_EQ(SendHTTP(st->site, SiteRequest::kGet, "h", {"COMMAND=GET"}).outcome,
            SiteOutcome::kNoAnswer);

  // An error status is the service's refusal, with its own text.
  HttpResponse too_large{false, 413, Utf8ToCp932("添付ファイルが大きすぎます\r\n"), "HTTP status"};
  too_large.request_sent = true;
  http->answers.push_back(too_large);
  a = SendHTTP(st->site, SiteRequest::kSendWin, "h", {"COMMAND=SENDWIN"});
  EXPECT_EQ(a.outcome, SiteOutcome::kRefused);
  EXPECT_EQ(Cp932ToUtf8(a.msg), "添付ファイルが大きすぎます");
}

TEST_F(SendHttpTest, SendWinWithFilesIsMultipartAndSendSmtpSplitsAtOkPgm) {
  test::WriteFileBytes(dir / "f0", "zero");
  test::WriteFileBytes(dir / "f1", "one");
  st->site.send_attachments = {(dir / "f0").string(), (dir / "f1").string()};
  http->Answer("x\tOK(PGM)sent");
  ASSERT_TRUE(SendHTTP(st->site, SiteRequest::kSendWin, "h", {"COMMAND=SENDWIN", "TITLE=1%"}).ok());
  const HttpRequest& r = http->sent[0];
  EXPECT_EQ(r.content_type.rfind("multipart/form-data; boundary=", 0), 0u);
  EXPECT_NE(r.body.find("name=\"FILE0\"; filename=\"f0\"\r\n"), std::string::npos);
  EXPECT_NE(r.body.find("name=\"FILE1\"; filename=\"f1\"\r\n"), std::string::npos);
  EXPECT_NE(r.body.find("1" + Utf8ToCp932("％")), std::string::npos);

  http->Answer("abc" + std::string(kOkPgm) + Utf8ToCp932("送信完了"));
  SiteAnswer a = SendHTTP(st->site, SiteRequest::kSendSmtp, "h", {"COMMAND=SENDSMTP"});
  EXPECT_TRUE(a.ok());
  EXPECT_EQ(a.value, "abc");
  EXPECT_EQ(Cp932ToUtf8(a.msg), "送信完了");
  http->Answer("x\trefused");
  a = SendHTTP(st->site, SiteRequest::kSendSmtp, "h", {"COMMAND=SENDSMTP"});
  EXPECT_EQ(a.outcome, SiteOutcome::kRefused);
  EXPECT_EQ(a.msg, "refused");
}

}  // namespace
}  // namespace sorami
