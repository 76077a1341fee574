// The client's site requests against the real site service on a loopback port: a dynamic host
// that moves to another instance, dead or misbehaving hosts, and waiting messages larger in
// total than an answer held in memory.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "platform/Codepage.h"
#include "platform/SpoolFile.h"
#include "shell/ConnectionCheck.h"
#include "shell/SiteFetch.h"
#include "site/Fetch.h"
#include "site/HostLookup.h"
#include "site/LiveServerFixture.h"
#include "site/SendHttp.h"
#include "store/Folders.h"

namespace sorami {
namespace {

using test::kHanako;
using test::kTaro;
using test::LiveServer;

TEST_F(LiveServer, AMovedDynamicHostIsFollowedThroughTheDirectory) {
  // A second instance on the same database; the site lives first on a host that then dies.
  const auto moved = world.Serve("127.0.0.1:0", "moved.log");
  const auto doomed = world.Serve("127.0.0.1:0", "doomed.log");
  world.Admin(
      {"addsite", "移動", "--host", doomed->address(), "--user", "idou", "--dynamic", "$idou"});
  world.Admin({"adduser", "移動", "じろう", "jiro"});
  Login({"移動", "じろう", "jiro", ""});
  EXPECT_EQ(st->settei.v.dyn_key, "$idou");
  ASSERT_TRUE(Send("じろう%移動", "dyn", "body", "2030/01/03 10:00:00")) << Cp932ToUtf8(msg);

  doomed->Kill();
  world.Admin({"setdyn", "$idou", moved->address()});
  const FetchReport out = FetchNewMessages(*st, -1);
  EXPECT_TRUE(out.any_new) << Cp932ToUtf8(out.status);
  EXPECT_EQ(st->settei.rows[0].host, moved->address());
  EXPECT_EQ(st->cur.host, moved->address());
}

// A loopback server that answers one connection with serve(fd), on its own thread.
class OneShotServer {
 public:
  explicit OneShotServer(std::function<void(int)> serve) {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listen_fd_, 1);
    socklen_t len = sizeof addr;
    ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this, serve] {
      const int fd = ::accept(listen_fd_, nullptr, nullptr);
      if (fd < 0) return;
      char buf[4096];
      ::recv(fd, buf, sizeof buf, 0);  // the request
      serve(fd);
      ::close(fd);
    });
  }
  ~OneShotServer() {
    ::shutdown(listen_fd_, SHUT_RDWR);
    thread_.join();
    ::close(listen_fd_);
  }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int listen_fd_ = -1;
  int port_ = 0;
  std::thread thread_;
};

TEST_F(LiveServer, ADeadSilentTricklingOrFloodingHostGivesTheConnectionError) {
  auto check = [&](const std::string& host, SiteOutcome want) {
    const SiteAnswer a = SendHTTP(st->site, SiteRequest::kCheck, host, {"COMMAND=CHECK"});
    EXPECT_EQ(a.outcome, want) << host;
    EXPECT_EQ(Cp932ToUtf8(a.msg), "接続エラー") << host;
  };
  world.server->Kill();
  check(world.address(), SiteOutcome::kUnreachable);  // nothing went out: safe to retry

  // A host that takes the request and never answers ends it after the idle time. The request
  // went out whole: the service may have acted on it.
  std::atomic<bool> stop{false};
  {
    OneShotServer silent([&](int) {
      while (!stop) ::usleep(10 * 1000);
    });
    st->site.http = MakeQtHttpClient({1000, 1000});
    check(silent.host(), SiteOutcome::kNoAnswer);
    stop = true;
  }
  stop = false;
  {
    OneShotServer trickle([&](int fd) {
      const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nx\tOK(PGM)";
      ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
      while (!stop && ::send(fd, "y", 1, MSG_NOSIGNAL) == 1) ::usleep(50 * 1000);
    });
    st->site.http = MakeQtHttpClient({1000, 1000, 600});  // data keeps coming: the total ends it
    check(trickle.host(), SiteOutcome::kNoAnswer);
    stop = true;
  }
  OneShotServer flood([](int fd) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 4000000\r\n\r\nx\tOK(PGM)\r\n";
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    const std::string block(64 * 1024, 'z');
    for (int i = 0; i < 64; ++i) {
      if (::send(fd, block.data(), block.size(), MSG_NOSIGNAL) <= 0) break;
    }
  });
  st->site.http = MakeQtHttpClient({1000, 5000, 10000, 1024 * 1024});
  check(flood.host(), SiteOutcome::kNoAnswer);
}

// Waiting messages beyond what an answer held in memory may be arrive over a few fetches.
TEST_F(LiveServer, MessagesBeyondTheAnswerLimitArriveOverSeveralFetchesNoneLost) {
  // Answers held in memory stop at 64 KB; five messages of 30 KB wait.
  st->site.http = MakeQtHttpClient({3000, 5000, 60000, 64 * 1024});
  Login(kHanako);
  for (int i = 0; i < 5; ++i) {
    const std::string body = std::to_string(i) + std::string(30000, 'x');
    ASSERT_TRUE(Send("たろう%広場", "大きい" + std::to_string(i), body,
                     "2030/03/01 10:00:0" + std::to_string(i)))
        << Cp932ToUtf8(msg);
  }
  Login(kTaro);
  ShowAccountRow(st->settei, 1);
  st->site.leave_on_site = false;
  st->site.max_fetch_messages = 2;

  // 2 + 2 + 1: each fetch stores what it may; only the last deletes on the site.
  for (const int expected : {2, 4, 5}) {
    const FetchReport out = FetchNewMessages(*st, -1);
    ASSERT_FALSE(out.save_failed) << Cp932ToUtf8(out.status);
    ASSERT_EQ(out.failed, 0) << Cp932ToUtf8(out.status);
    EXPECT_EQ(st->store.CtMaster(), expected);
  }
  std::set<std::string> bodies;
  for (int r = 0; r < st->store.CtMaster(); ++r) {
    const std::string_view body = st->store.Get(r, MastCol::kBody);
    EXPECT_EQ(body.size(), 30001u);
    bodies.emplace(body.substr(0, 1));
  }
  EXPECT_EQ(bodies, (std::set<std::string>{"0", "1", "2", "3", "4"}));

  // Saved on disk, deleted on the site, and no scratch file left in the data directory.
  st->store.Clear();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg)) << Cp932ToUtf8(msg);
  EXPECT_EQ(st->store.CtMaster(), 5);
  st->store.Clear();
  EXPECT_FALSE(FetchNewMessages(*st, -1).any_new);
  for (const auto& e : std::filesystem::directory_iterator(st->paths.DataDir())) {
    EXPECT_FALSE(IsSpoolFileName(e.path().filename().string())) << e.path();
  }
}

}  // namespace
}  // namespace sorami
