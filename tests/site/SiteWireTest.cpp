#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "site/FakeHttp.h"
#include "site/SendHttp.h"
#include "site/SiteWire.h"
#include "support/AppFixture.h"

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

class SendHttpTest : public test::FakeSiteTest {
 protected:
  std::string value = "unchanged";
};

TEST_F(SendHttpTest, EmptyHostSendsNothing) {
  EXPECT_FALSE(SendHTTP(st->site, SiteRequest::kGet, "", {"COMMAND=GET"}, value, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "HOST未設定");
  EXPECT_EQ(value, "unchanged");
  EXPECT_TRUE(http->sent.empty());
}

TEST_F(SendHttpTest, UrlFormHeadersAndConnectionErrors) {
  http->Answer("x\tOK(PGM)fine\r\nv");
  ASSERT_TRUE(SendHTTP(st->site, SiteRequest::kCheck, "h:81", {"COMMAND=CHECK", "FROMNAME=a b"},
                       value, msg));
  ASSERT_EQ(http->sent.size(), 1u);
  EXPECT_EQ(http->sent[0].url, "http://h:81/bn/WbMessage.exe?");
  EXPECT_EQ(http->sent[0].content_type, "application/x-www-form-urlencoded");

  http->Fail();
  EXPECT_FALSE(SendHTTP(st->site, SiteRequest::kGet, "h", {"COMMAND=GET"}, value, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "接続エラー");
  EXPECT_EQ(Cp932ToUtf8(value), "接続エラー");
  ASSERT_FALSE(st->aclog.lines().empty());
  EXPECT_NE(Cp932ToUtf8(st->aclog.lines().back()).find("接続エラー"), std::string::npos);
}

TEST_F(SendHttpTest, SendWinWithFilesIsMultipartAndSendSmtpSplitsAtOkPgm) {
  test::WriteFileBytes(dir / "f0", "zero");
  test::WriteFileBytes(dir / "f1", "one");
  st->site.send_attachments = {(dir / "f0").string(), (dir / "missing").string(),
                               (dir / "f1").string()};
  http->Answer("x\tOK(PGM)sent");
  ASSERT_TRUE(
      SendHTTP(st->site, SiteRequest::kSendWin, "h", {"COMMAND=SENDWIN", "TITLE=1%"}, value, msg));
  const HttpRequest& r = http->sent[0];
  EXPECT_EQ(r.content_type.rfind("multipart/form-data; boundary=", 0), 0u);
  EXPECT_NE(r.body.find("name=\"FILE0\"; filename=\"" + (dir / "f0").string()), std::string::npos);
  EXPECT_NE(r.body.find("name=\"FILE1\"; filename=\"" + (dir / "f1").string()), std::string::npos);
  EXPECT_NE(r.body.find("1" + Utf8ToCp932("％")), std::string::npos);

  http->Answer(
      "abc"
      "OK(PGM)" +
      Utf8ToCp932("送信完了"));
  EXPECT_FALSE(SendHTTP(st->site, SiteRequest::kSendSmtp, "h", {"COMMAND=SENDSMTP"}, value, msg));
  EXPECT_EQ(value, "abc");
  EXPECT_EQ(Cp932ToUtf8(msg), "送信完了");
  value = "kept";
  msg = "kept";
  http->Answer("refused");
  EXPECT_FALSE(SendHTTP(st->site, SiteRequest::kSendSmtp, "h", {"COMMAND=SENDSMTP"}, value, msg));
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(msg, "kept");
}

}  // namespace
}  // namespace sorami
