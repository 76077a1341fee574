// The coding of the service's answers: a fetch answer is text of some megabytes, and the
// service never spends Brotli on it, whatever the client offers; gzip only when asked for.
#include <gtest/gtest.h>
#include <httplib.h>

#include "Service.h"
#include "World.h"

namespace sorami::sitetest {
namespace {

TEST(AnswerCoding, OfferedCodingsLoseEveryBrotliNameAndKeepTheRest) {
  EXPECT_EQ(site::WithoutBrotli("zstd, br, gzip, deflate"), "zstd, gzip, deflate");
  EXPECT_EQ(site::WithoutBrotli("br;q=1.0,gzip;q=0.5"), "gzip;q=0.5");
  EXPECT_EQ(site::WithoutBrotli("br"), "identity");
  EXPECT_EQ(site::WithoutBrotli(""), "identity");
  EXPECT_EQ(site::WithoutBrotli("identity"), "identity");
}

TEST(AnswerCoding, AFetchAnswerOfferedBrotliComesGzipOrPlainAndReadsTheSame) {
  const World world({"--public-host", "127.0.0.1:0"});
  Letter letter;
  letter.body = std::string(20000, 'x');  // long enough for the service to compress
  ASSERT_TRUE(world.Send(kTaro, letter).ok);
  const std::string body = UrlEncoded(world.FetchFields(kHanako, "GET"));
  auto fetch = [&](const char* offered) {
    httplib::Client c("http://" + world.address());
    c.set_decompress(false);
    return c.Post("/bn/WbMessage.exe?", httplib::Headers{{"Accept-Encoding", offered}}, body,
                  "application/x-www-form-urlencoded");
  };
  const auto plain = fetch("br");
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->has_header("Content-Encoding"))
      << plain->get_header_value("Content-Encoding");
  EXPECT_NE(plain->body.find(std::string(20000, 'x')), std::string::npos);
  const auto zipped = fetch("zstd, br, gzip, deflate");
  ASSERT_TRUE(zipped);
  EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
  EXPECT_LT(zipped->body.size(), plain->body.size());
}

}  // namespace
}  // namespace sorami::sitetest
