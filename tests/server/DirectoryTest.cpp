// The directory server's answers: host look-up, public sites, dynamic hosts (a host serves only
// the sites registered at its address).
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

Reply Update(const World& w, const std::string& command, const std::string& key) {
  return Post(w.address(), "WbUpdate.exe", {{"COMMAND", command}, {"HOST", key}});
}

TEST(Directory, GethostAndSitelistAnswerAndUnknownRequestsAreRefusedInJapanese) {
  const World& w = SharedWorld();
  auto gethost = [&](const std::string& site) {
    return w.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj(site)}});
  };
  Reply dyn = gethost("別館");
  ASSERT_TRUE(dyn.ok) << Utf(dyn.status);
  EXPECT_EQ(dyn.lines, std::vector<std::string>{"TOHOST=" + w.address() +
                                                "\tTOUSER=bekkan\tDYNAMIC=DYN$bekkan"});
  EXPECT_EQ(gethost("広場").lines,
            std::vector<std::string>{"TOHOST=" + w.address() + "\tTOUSER=hiroba"});
  Reply unknown = gethost("無いサイト");
  EXPECT_FALSE(unknown.ok);
  EXPECT_TRUE(unknown.lines.empty());
  EXPECT_NE(Utf(unknown.status).find("無いサイト"), std::string::npos);

  Reply sites =
      w.Message({{"COMMAND", "SITELIST"}, {"FROMNAME", Sj("はなこ")}, {"FROMUSER", "hiroba"}});
  ASSERT_TRUE(sites.ok);
  EXPECT_EQ(sites.lines, (std::vector<std::string>{Sj("広場"), Sj("別館")}));  // not 秘密

  const std::vector<std::pair<Fields, std::string>> refused = {
      {{{"COMMAND", "DELETEALL"}}, "不明なコマンドです : DELETEALL"},
      {{{"TOSITE", Sj("広場")}}, "コマンドが指定されていません"},
      {{{"COMMAND", "GETHOST"}}, "項目がありません : TOSITE"}};
  for (const auto& [fields, status] : refused) {
    Reply r = w.Message(fields);
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Utf(r.status), status);
  }
}

TEST(Directory, GetdynFollowsTheKeyToItsCurrentHostAndTheOldHostStopsServingTheSite) {
  const World& w = SharedWorld();
  auto fetch = [&] { return w.Message(FetchFields(kJiro, "GET", w.address())); };
  EXPECT_EQ(Update(w, "GETDYN", "bekkan").lines, std::vector<std::string>{w.address()});
  w.Admin({"setdyn", "DYN$bekkan", "192.0.2.7:8080"});
  EXPECT_EQ(Update(w, "GETDYN", "bekkan").lines, std::vector<std::string>{"192.0.2.7:8080"});
  Reply host = w.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("別館")}});
  EXPECT_EQ(SplitTabs(host.lines.at(0))[0], "TOHOST=192.0.2.7:8080");
  Reply moved = fetch();  // the client takes this as its cue to ask GETDYN
  EXPECT_FALSE(moved.ok);
  EXPECT_NE(Utf(moved.status).find("別館"), std::string::npos) << Utf(moved.status);
  w.Admin({"setdyn", "bekkan", w.address()});  // the key without its prefix works too
  EXPECT_EQ(Update(w, "GETDYN", "bekkan").lines, std::vector<std::string>{w.address()});
  EXPECT_TRUE(fetch().ok);

  for (const char* key : {"nokey", "DYN$bekkan", ""}) EXPECT_FALSE(Update(w, "GETDYN", key).ok);
  EXPECT_FALSE(Update(w, "GET", "bekkan").ok);
}

}  // namespace
}  // namespace sorami::sitetest
