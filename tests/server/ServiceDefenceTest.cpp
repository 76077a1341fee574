// The site service against hostile peers: sender-made file names, guessed message numbers,
// password guessing, a second server on a busy port, slow and crowding connections, and
// oversized or repeated claims; and answers never coded with Brotli, whatever is offered.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <regex>
#include <thread>

#include "Names.h"
#include "Service.h"
#include "Throttle.h"
#include "World.h"

namespace sorami::sitetest {
namespace {

// A world with the default settings, for the tests that change none.
const World& Plain() {
  static const World world;
  return world;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(AttachmentName, ALeadByteWithoutItsSecondByteNeitherHidesNorSurvivesASeparator) {
  using site::CleanAttachmentName;
  EXPECT_EQ(CleanAttachmentName("\x81/..\x81/x"), "x");
  EXPECT_EQ(CleanAttachmentName("a\\\x9F\\..\\b.txt"), "b.txt");
  EXPECT_EQ(CleanAttachmentName("a\x81"
                                "1.txt"),
            "a_1.txt");  // a lone lead byte becomes "_"
  // A real double-byte character stays whole, also one whose second byte is "\" (ソ).
  EXPECT_EQ(CleanAttachmentName("C:\\d\\\x83\x5C\x95\x5C.txt"), "\x83\x5C\x95\x5C.txt");
}

Reply Download(const World& w, const std::string& file, const std::string& user,
               const std::string& number) {
  return Request(w.address(), "WbTenpu.exe", "FILE=" + file + "&TOUSER=" + user + "&TONO=" + number,
                 "");
}

// An outsider knows hanako's system user and the file name, not the message number.
TEST(MessageNumbers, AreTwentyRandomDigitsThatCountingDoesNotFind) {
  const World& w = Plain();
  ASSERT_TRUE(
      w.Upload(w.SendFields(kTaro, {"はなこ%広場,たろう%広場"}), {{"C:\\a.txt", "secret"}}).ok);
  const auto hanako = w.Drain(kHanako), taro = w.Drain(kTaro);
  ASSERT_EQ(hanako.size(), 1u);
  ASSERT_EQ(taro.size(), 1u);
  const std::string number = hanako[0][5];
  EXPECT_TRUE(std::regex_match(number, std::regex("[0-9]{20}"))) << number;
  EXPECT_NE(number, taro[0][5]);
  EXPECT_EQ(Download(w, "a.txt", "hiroba", number).body, "secret");
  for (int n = 0; n < 50; ++n) {
    EXPECT_EQ(Download(w, "a.txt", "hiroba", std::to_string(n)).httpStatus, 404) << n;
  }
}

TEST(MessageNumbers, OpenAttachmentsOnlyForTheLifetimeAfterTheFirstFetch) {
  const World w({"--attachment-lifetime", "0"});
  ASSERT_TRUE(w.Upload(w.SendFields(kTaro, {}), {{"C:\\a.txt", "secret"}}).ok);
  const auto lines = w.Drain(kHanako);
  ASSERT_EQ(lines.size(), 1u);
  Reply late = Download(w, "a.txt", "hiroba", lines[0][5]);
  EXPECT_EQ(late.httpStatus, 404);
  EXPECT_NE(late.body, "secret");
}

// Low limits: three failures for a member, six from an address, a minute's wait; two claims;
// three connections per address.
const World& Strict() {
  static const World world({"--member-failures", "3", "--address-failures", "6", "--failure-delay",
                            "60", "--claims-per-hour", "2", "--connections-per-address", "3"});
  return world;
}

TEST(PasswordGuessing, RepeatedFailuresMakeTheMemberAndThenTheAddressWait) {
  const World& w = Strict();
  auto check = [&](const Account& a, const std::string& pass) {
    return w.Message({{"FROMHOST", w.address()},
                      {"FROMUSER", a.sysuser},
                      {"COMMAND", "CHECK"},
                      {"FROMNAME", Sj(a.nick)},
                      {"USERPASS", Sj(pass)}});
  };
  const std::string wrong = "ニックネームまたはパスワードが違います";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Utf(check(kHanako, "guess").status), wrong) << i;
  // Now even the right password waits, unchecked; others from this address still get in.
  Reply waiting = check(kHanako, kHanako.pass);
  EXPECT_FALSE(waiting.ok);
  EXPECT_PRED2(Has, Utf(waiting.status), "秒後にやり直してください");
  EXPECT_TRUE(check(kTaro, kTaro.pass).ok);
  // Three failures more from this address (an unknown nickname counts too): it waits as well.
  for (const Account& a : {kJiro, kJiro, Account{"広場", "だれか", "", "hiroba"}}) {
    EXPECT_EQ(Utf(check(a, "guess").status), wrong);
  }
  EXPECT_FALSE(check(kTaro, kTaro.pass).ok);
  EXPECT_FALSE(w.Message(w.FetchFields(kSohyo, "GET")).ok);
  const std::string log = test::ReadFileBytes(w.logFile());
  EXPECT_PRED2(Has, log, "LOGIN はなこ%広場 from 127.0.0.1 wrong password: 3 failures");
}

TEST(FailureThrottle, WaitsDoubleAfterEachFailureOverTheFreeOnesAndAreForgottenLater) {
  site::FailureThrottle t(2, 10);
  std::int64_t now = 1000;
  t.Fail("a", now);
  EXPECT_EQ(t.Wait("a", now), 0);
  t.Fail("a", now);
  EXPECT_EQ(t.Wait("a", now), 10);
  EXPECT_EQ(t.Wait("a", now + 4), 6);
  EXPECT_EQ(t.Wait("b", now), 0);  // keys are apart
  now += 10;
  t.Fail("a", now);
  EXPECT_EQ(t.Wait("a", now), 20);
  t.Fail("a", now += 20);
  EXPECT_EQ(t.Wait("a", now), 40);
  for (int i = 0; i < 20; ++i) t.Fail("a", now);
  EXPECT_EQ(t.Wait("a", now), 3600);  // at most an hour
  t.Fail("a", now += 3600);           // an hour after the last failure the count starts anew
  EXPECT_EQ(t.Wait("a", now), 0);
  t.Fail("a", now);
  t.Clear("a");
  EXPECT_EQ(t.Wait("a", now), 0);
}

TEST(Claims, AreBoundedInSizeAndInNumberPerAddress) {
  const World& w = Strict();
  auto claim = [&](const std::string& text, const std::string& body = Sj("本文")) {
    return Request(
        w.address(), "WbClaim.exe",
        UrlEncoded(
            {{"COMMAND", "CLAIM"}, {"FROMNAME", Sj("たろう")}, {"HONBUN", body}, {"CLAIM", text}}));
  };
  Reply big = claim(std::string(8 * 1024, 'x'));
  EXPECT_EQ(big.httpStatus, 200);
  EXPECT_EQ(Utf(big.status), "報告が大きすぎます (上限 8 KB)");
  // A report on a long message is taken, its body kept cut on a character boundary.
  std::string long_body;
  while (long_body.size() < 20 * 1024) long_body += Sj("長文") + "z";
  EXPECT_TRUE(claim(std::string(3 * 1024, 'y'), long_body).ok);
  EXPECT_TRUE(claim("spam").ok);
  Reply third = claim("spam");
  EXPECT_FALSE(third.ok);
  EXPECT_PRED2(Has, Utf(third.status), "報告が多すぎます");
  const std::string stored = w.Admin({"claims"}).out;
  EXPECT_EQ(stored.find("xxxx"), std::string::npos);
  EXPECT_PRED2(Has, stored, "yyyy");
  EXPECT_LT(stored.size(), 12 * 1024u) << "the long body is kept whole";
  EXPECT_PRED2(Has, stored, "claim #2 ");
  EXPECT_EQ(stored.find("claim #3 "), std::string::npos) << stored;
}

TEST(ServePort, ASecondServerOnAPortInUseRefusesToStartAndTheFirstKeepsServing) {
  const World& first = Plain();
  test::ScratchDir dir;
  const std::string db = (dir / "other.db").string();
  ASSERT_EQ(RunServerCommand({"init", "--db", db}, dir.path()).exitCode, 0);
  CommandResult second =
      RunServerCommand({"serve", "--db", db, "--listen", first.address()}, dir.path(), 20);
  EXPECT_EQ(second.exitCode, 1) << second.out;
  EXPECT_PRED2(Has, second.err, "cannot listen on " + first.address() + ": the port is in use");
  EXPECT_TRUE(first.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("広場")}}).ok);
}

// A TCP connection to the service from a loopback address of its own choosing (all of 127/8 is
// local), with a generous receive time-out.
int ConnectFrom(const std::string& from, const World& w) {
  const std::string& to = w.address();
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{AF_INET, 0, {}, {}};
  inet_pton(AF_INET, from.c_str(), &a.sin_addr);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << from;
  a.sin_port = htons(static_cast<uint16_t>(std::stoi(to.substr(to.rfind(':') + 1))));
  inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  const timeval timeout{15, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  return fd;
}

// What the peer sends until `until` comes or, without it, until it closes or falls silent.
std::string ReadFrom(int fd, const std::string& until = {}) {
  std::string got;
  char buf[4096];
  for (ssize_t n; (until.empty() || !Has(got, until)) && (n = recv(fd, buf, sizeof buf, 0)) > 0;) {
    got.append(buf, n);
  }
  return got;
}

TEST(SlowClients, FortyConnectionsSendingAByteEveryTwoSecondsDoNotHoldUpANormalRequest) {
  const World& w = Plain();
  std::vector<int> slow;
  for (int i = 0; i < 40; ++i)
    slow.push_back(ConnectFrom("127.0.0." + std::to_string(10 + i / 4), w));
  std::atomic<bool> done{false};
  std::thread dribble([&] {  // the start of a request, then one byte of a header every 2 s
    for (std::string piece = "POST /bn/WbMessage.exe? HTTP/1.1\r\nX-Slow: "; !done; piece = "a") {
      for (int fd : slow) send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
      for (int k = 0; k < 20 && !done; ++k) usleep(100'000);
    }
  });
  usleep(500'000);  // the slow ones come first
  Reply normal = w.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("広場")}});
  done = true;
  dribble.join();
  for (int fd : slow) close(fd);
  EXPECT_TRUE(normal.ok) << normal.httpStatus;
}

TEST(SlowClients, AreClosedWhenTheirHeadersOrBodyTakeLongerThanAllowed) {
  const World w({"--header-timeout", "1", "--body-timeout", "1"});
  const int headers = ConnectFrom("127.0.0.20", w), body = ConnectFrom("127.0.0.21", w);
  const std::string head = "POST /bn/WbMessage.exe? HTTP/1.1\r\nContent-Length: 1000\r\n";
  send(headers, head.data(), head.size(), MSG_NOSIGNAL);
  send(body, (head + "\r\nCOMMAND=").data(), head.size() + 10, MSG_NOSIGNAL);
  std::atomic<bool> done{false};
  std::thread dribble([&] {  // each well inside the time-out for one read
    while (!done) {
      send(headers, "X", 1, MSG_NOSIGNAL);
      send(body, "A", 1, MSG_NOSIGNAL);
      usleep(300'000);
    }
  });
  auto closedByServer = [](int fd) {
    ReadFrom(fd);
    const bool closed = errno != EAGAIN && errno != EWOULDBLOCK;  // not our own time-out
    close(fd);
    return closed;
  };
  errno = 0;
  EXPECT_TRUE(closedByServer(headers));
  errno = 0;
  EXPECT_TRUE(closedByServer(body));
  done = true;
  dribble.join();
  const std::string log = test::ReadFileBytes(w.logFile());
  EXPECT_PRED2(Has, log, "SLOW 127.0.0.20 NG closed: request line and headers too slow");
  EXPECT_PRED2(Has, log, "SLOW 127.0.0.21 NG closed: body too slow");
}

TEST(SlowClients, OneAddressHoldsOnlyItsShareOfConnections) {
  const World& w = Strict();
  const std::string request =
      "GET /bn/WbTenpu.exe?FILE=a&TOUSER=b&TONO=1 HTTP/1.1\r\nHost: x\r\n\r\n";
  std::vector<int> held;
  for (int i = 0; i < 3; ++i) {
    // Each is served once, so the server surely counts it, then starts a request it never ends.
    held.push_back(ConnectFrom("127.0.0.9", w));
    send(held.back(), request.data(), request.size(), MSG_NOSIGNAL);
    const std::string got = ReadFrom(held.back(), Sj("見つかりません"));
    EXPECT_TRUE(got.starts_with("HTTP/1.1 404")) << got;
    send(held.back(), "GET /", 5, MSG_NOSIGNAL);
  }
  int over = ConnectFrom("127.0.0.9", w);
  const std::string refused = ReadFrom(over);
  close(over);
  EXPECT_TRUE(refused.starts_with("HTTP/1.1 503")) << refused;
  EXPECT_PRED2(Has, refused, Sj("接続が多すぎます"));
  EXPECT_TRUE(w.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("広場")}}).ok);  // another address
  for (int fd : held) close(fd);
}

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
