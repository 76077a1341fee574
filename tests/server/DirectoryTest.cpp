// The directory server's answers: host look-up, public sites, dynamic hosts, claim reports.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

class Directory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { world = &SharedWorld(); }
  static Reply Update(const Fields& f) { return Post(world->address(), "WbUpdate.exe", f); }
  static Reply Claim(const Fields& f) { return Post(world->address(), "WbClaim.exe", f); }
  static World* world;
};
World* Directory::world = nullptr;

TEST_F(Directory, GethostNamesHostUserAndDynamicKey) {
  Reply dyn = world->Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("別館")}});
  ASSERT_TRUE(dyn.ok) << Utf(dyn.status);
  ASSERT_EQ(dyn.lines.size(), 1u);
  EXPECT_EQ(SplitTabs(dyn.lines[0]),
            (std::vector<std::string>{"TOHOST=" + world->address(), "TOUSER=bekkan",
                                      "DYNAMIC=DYN$bekkan"}));
  Reply fixed = world->Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("広場")}});
  ASSERT_EQ(fixed.lines.size(), 1u);
  EXPECT_EQ(fixed.lines[0], "TOHOST=" + world->address() + "\tTOUSER=hiroba");

  Reply unknown = world->Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("無いサイト")}});
  EXPECT_FALSE(unknown.ok);
  EXPECT_TRUE(unknown.lines.empty());
  EXPECT_NE(Utf(unknown.status).find("無いサイト"), std::string::npos);
}

TEST_F(Directory, SitelistHoldsOnlyThePublicSites) {
  Reply r =
      world->Message({{"COMMAND", "SITELIST"}, {"FROMNAME", Sj("はなこ")}, {"FROMUSER", "hiroba"}});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.lines, (std::vector<std::string>{Sj("広場"), Sj("別館")}));
}

TEST_F(Directory, GetdynFollowsTheKeyToItsCurrentHost) {
  Reply before = Update({{"COMMAND", "GETDYN"}, {"HOST", "bekkan"}});
  ASSERT_TRUE(before.ok) << Utf(before.status);
  EXPECT_EQ(before.lines, std::vector<std::string>{world->address()});

  world->Admin({"setdyn", "DYN$bekkan", "192.0.2.7:8080"});
  Reply after = Update({{"COMMAND", "GETDYN"}, {"HOST", "bekkan"}});
  EXPECT_EQ(after.lines, std::vector<std::string>{"192.0.2.7:8080"});
  Reply host = world->Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("別館")}});
  EXPECT_EQ(SplitTabs(host.lines.at(0))[0], "TOHOST=192.0.2.7:8080");
  world->Admin({"setdyn", "bekkan", world->address()});  // the key without its prefix works too
  EXPECT_EQ(Update({{"COMMAND", "GETDYN"}, {"HOST", "bekkan"}}).lines.at(0), world->address());

  for (const char* key : {"nokey", "DYN$bekkan", ""}) {
    Reply r = Update({{"COMMAND", "GETDYN"}, {"HOST", key}});
    EXPECT_FALSE(r.ok) << key;
  }
  EXPECT_FALSE(Update({{"COMMAND", "GET"}, {"HOST", "bekkan"}}).ok);
}

TEST_F(Directory, ClaimsAreStoredAndAnsweredWithOkAtTheStart) {
  Fields claim = {{"COMMAND", "CLAIM"},         {"TOLIST", ""},
                  {"TOUSER", "hiroba"},         {"TONAME", Sj("はなこ%広場")},
                  {"FROMSITE", Sj("別館")},     {"FROMNAME", Sj("じろう")},
                  {"FROMDATE", NextDate()},     {"TITLE", Sj("件名")},
                  {"HONBUN", Sj("本文")},       {"KANKEI", Sj("知人")},
                  {"SHUBETSU", Sj("一般連絡")}, {"CLAIM", "\t" + Sj("種別不正")},
                  {"COMMENT", Sj("広告でした")}};
  auto claims = [] {
    const std::string list = world->Admin({"list"}).out;
    return std::stoi(list.substr(list.find("claims: ") + 8));
  };
  const int before = claims();
  Reply r = Claim(claim);
  EXPECT_EQ(r.body.rfind("OK(PGM)", 0), 0u) << Utf(r.body);
  EXPECT_TRUE(r.ok);

  claim[11].second = "";
  Reply empty = Claim(claim);
  EXPECT_NE(empty.body.rfind("OK(PGM)", 0), 0u);
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(claims(), before + 1);
}

TEST_F(Directory, UnknownAndMissingCommandsAreRefusedInJapanese) {
  Reply unknown = world->Message({{"COMMAND", "DELETEALL"}});
  EXPECT_EQ(unknown.httpStatus, 200);
  EXPECT_FALSE(unknown.ok);
  EXPECT_EQ(Utf(unknown.status), "不明なコマンドです : DELETEALL");
  Reply none = world->Message({{"TOSITE", Sj("広場")}});
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(Utf(none.status), "コマンドが指定されていません");
  Reply missing = world->Message({{"COMMAND", "GETHOST"}});
  EXPECT_EQ(Utf(missing.status), "項目がありません : TOSITE");
}

}  // namespace
}  // namespace sorami::sitetest
