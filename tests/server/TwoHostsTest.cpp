// Two server instances on one database, each serving the sites at its own address, and a
// site with a dynamic host moving from one to the other.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

TEST(TwoHosts, ADynamicSiteMovesAndTheOldHostStopsServingIt) {
  // Instance A serves the sites registered at its address (広場, 別館, 秘密); B starts empty.
  World world({"--public-host", "127.0.0.1:0"});
  ServerProcess b({"--db", world.db(), "--listen", "127.0.0.1:0", "--public-host", "127.0.0.1:0"},
                  world.dir() / "b.log");
  const std::string a = world.address();
  auto fetch = [](const std::string& host, const Account& acct) {
    return Post(host, "WbMessage.exe", FetchFields(acct, "GET", host));
  };
  ASSERT_TRUE(fetch(a, kJiro).ok);
  Reply notHere = fetch(b.address(), kJiro);
  EXPECT_FALSE(notHere.ok);
  EXPECT_NE(Utf(notHere.status).find("別館"), std::string::npos) << Utf(notHere.status);

  // はなこ (on A) writes to じろう; then 別館 moves to B.
  ASSERT_TRUE(
      world.Message(SendFields(kHanako, a, {"じろう%別館", "", "", "引越し前", "b", ""})).ok);
  world.Admin({"setdyn", "DYN$bekkan", b.address()});
  for (const std::string& directory : {a, b.address()}) {
    Reply dyn = Post(directory, "WbUpdate.exe", {{"COMMAND", "GETDYN"}, {"HOST", "bekkan"}});
    EXPECT_EQ(dyn.lines, std::vector<std::string>{b.address()});
  }
  EXPECT_FALSE(fetch(a, kJiro).ok);  // the client takes this as its cue to ask GETDYN
  Reply moved = fetch(b.address(), kJiro);
  ASSERT_TRUE(moved.ok) << Utf(moved.status);
  ASSERT_EQ(moved.lines.size(), 1u);
  std::vector<std::string> line = SplitTabs(moved.lines[0]);
  EXPECT_EQ(line[2], Sj("引越し前"));
  EXPECT_EQ(line[11], a);  // the sender's host: 広場 stayed on A

  // じろう answers from B; はなこ sees B as the sender's host and receipts it there.
  ASSERT_TRUE(Post(b.address(), "WbMessage.exe",
                   SendFields(kJiro, b.address(), {"はなこ%広場", "", "", "返信", "b", ""}))
                  .ok);
  Reply atA = fetch(a, kHanako);
  ASSERT_EQ(atA.lines.size(), 1u);
  std::vector<std::string> reply = SplitTabs(atA.lines[0]);
  EXPECT_EQ(reply[11], b.address());
  EXPECT_TRUE(Post(b.address(), "WbMessage.exe", FeedbackFields(kHanako, a, reply)).ok);
  EXPECT_FALSE(Post(a, "WbMessage.exe", FeedbackFields(kHanako, a, reply)).ok);

  // A goes down; B keeps serving 別館 and answers directory requests.
  world.server().Kill();
  EXPECT_EQ(fetch(a, kJiro).httpStatus, 0);
  Reply collected = Post(b.address(), "WbMessage.exe", GetFeedbackFields(kJiro, b.address()));
  ASSERT_EQ(collected.lines.size(), 1u);
  EXPECT_EQ(SplitTabs(collected.lines[0])[1], reply[4]);
  EXPECT_TRUE(
      Post(b.address(), "WbMessage.exe", {{"COMMAND", "GETHOST"}, {"TOSITE", Sj("広場")}}).ok);
}

}  // namespace
}  // namespace sorami::sitetest
