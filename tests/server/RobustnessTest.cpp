// Bad input, oversized requests and concurrent clients.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <thread>

#include "World.h"

namespace sorami::sitetest {
namespace {

using Robustness = OnSharedWorld;  // Drain fails when the server no longer answers

TEST_F(Robustness, RequestsOverThirtyTwoMebibytesAreRefusedAndNothingIsStored) {
  const std::string big(32u * 1024 * 1024 + 1, 'A');
  Reply plain = PostRaw(world->address(), "WbMessage.exe", "COMMAND=GETHOST&TOSITE=" + big,
                        "application/x-www-form-urlencoded");
  EXPECT_EQ(plain.httpStatus, 413);
  EXPECT_EQ(Utf(plain.status), "要求が大きすぎます (上限 32 MiB)");

  Fields f = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "big", "b", ""});
  Reply upload = PostMultipart(world->address(), f, {{"C:\\big.bin", big}});
  EXPECT_EQ(upload.httpStatus, 413);
  EXPECT_FALSE(upload.ok);
  EXPECT_TRUE(Drain(*world, kHanako).empty());

  // Just under the limit is fine.
  Reply fits = PostMultipart(world->address(), f, {{"C:\\fits.bin", std::string(31u << 20, 'B')}});
  EXPECT_TRUE(fits.ok) << Utf(fits.status);
  EXPECT_EQ(Drain(*world, kHanako).size(), 1u);
}

TEST_F(Robustness, MalformedBodiesAreAnsweredAndHarmNothing) {
  Fields send = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "keep", "b", ""});
  ASSERT_TRUE(world->Message(send).ok);
  send[14].second = "t";  // TITLE: the noise never adds a second "keep"
  std::vector<std::string> seeds = {"COMMAND=GET%ZZ&", "=x&", "COMMAND&&&", "%"};
  for (const std::string& broken : seeds) {
    Reply r =
        PostRaw(world->address(), "WbMessage.exe", broken, "application/x-www-form-urlencoded");
    EXPECT_EQ(r.httpStatus, 400) << broken;
    EXPECT_FALSE(r.status.empty());
  }
  seeds.insert(seeds.end(), {UrlEncoded(send), Multipart(send, {{"C:\\x.txt", "xyz"}}, "B0UND"),
                             UrlEncoded(FetchFields(kHanako, "GET", world->address()))});
  std::mt19937 rng(20240601);
  for (int i = 0; i < 300; ++i) {
    std::string body = seeds[rng() % seeds.size()];
    // Mutate: cut it, flip bytes, insert random bytes.
    if (rng() % 2 && !body.empty()) body.resize(rng() % body.size());
    for (int k = rng() % 8; k > 0 && !body.empty(); --k)
      body[rng() % body.size()] = static_cast<char>(rng());
    for (int k = rng() % 4; k > 0; --k)
      body.insert(rng() % (body.size() + 1), 1, static_cast<char>(rng()));
    Reply r = PostRaw(
        world->address(), "WbMessage.exe", body,
        rng() % 3 ? "application/x-www-form-urlencoded" : "multipart/form-data; boundary=B0UND");
    EXPECT_TRUE(r.httpStatus == 200 || r.httpStatus == 400) << r.httpStatus;
    EXPECT_FALSE(r.httpStatus == 200 && r.status.empty()) << "an answer without status text";
  }
  // The message sent before the noise is still there, once.
  std::size_t kept = 0;
  for (const auto& line : Drain(*world, kHanako)) kept += line[2] == "keep";
  EXPECT_EQ(kept, 1u);
}

TEST_F(Robustness, ConcurrentSendersAllGetThroughWithDistinctServerNumbers) {
  constexpr int kThreads = 6, kEach = 5;
  std::vector<std::thread> threads;
  std::atomic<int> ok{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        Letter l{"はなこ%広場", "", "", "t" + std::to_string(t), "b", ""};
        l.date = "2031/02/03 04:" + std::to_string(10 + t) + ":" + std::to_string(10 + i);
        ok += world->Message(SendFields(kTaro, world->address(), l)).ok;
        ok += world->Message(FetchFields(kJiro, "GET", world->address())).ok;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(ok, 2 * kThreads * kEach);
  std::set<std::string> numbers;
  for (const auto& line : Drain(*world, kHanako)) numbers.insert(line[5]);
  EXPECT_EQ(numbers.size(), static_cast<std::size_t>(kThreads * kEach));
}

}  // namespace
}  // namespace sorami::sitetest
