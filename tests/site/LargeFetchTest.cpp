// Waiting messages larger in total than an answer held in memory may be: the fetch reads its
// answer from a scratch file and stores a limited number per fetch, so they arrive over a few
// fetches, none lost and none left behind on the site.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/Codepage.h"
#include "platform/SpoolFile.h"
#include "shell/SiteFetch.h"
#include "site/LiveServerFixture.h"

namespace sorami {
namespace {

using test::LiveServer;

TEST_F(LiveServer, MessagesBeyondTheAnswerLimitArriveOverSeveralFetchesNoneLost) {
  // Answers held in memory stop at 64 KB; five messages of 30 KB wait.
  st->site.http = MakeQtHttpClient({3000, 5000, 60000, 64 * 1024});
  Login("はなこ", "hana");
  for (int i = 0; i < 5; ++i) {
    const std::string body = std::to_string(i) + std::string(30000, 'x');
    ASSERT_TRUE(Send("たろう%広場", "大きい" + std::to_string(i), body,
                     "2030/03/01 10:00:0" + std::to_string(i)))
        << Cp932ToUtf8(msg);
  }
  Login("たろう", "taro pw%");
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
