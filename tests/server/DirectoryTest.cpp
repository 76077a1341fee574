// The directory server's answers: host look-up, public sites, dynamic hosts, claim reports.
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

TEST(Directory, GetdynFollowsTheKeyToItsCurrentHost) {
  const World& w = SharedWorld();
  EXPECT_EQ(Update(w, "GETDYN", "bekkan").lines, std::vector<std::string>{w.address()});
  w.Admin({"setdyn", "DYN$bekkan", "192.0.2.7:8080"});
  EXPECT_EQ(Update(w, "GETDYN", "bekkan").lines, std::vector<std::string>{"192.0.2.7:8080"});
  Reply host = w.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj("別館")}});
  EXPECT_EQ(SplitTabs(host.lines.at(0))[0], "TOHOST=192.0.2.7:8080");
  w.Admin({"setdyn", "bekkan", w.address()});  // the key without its prefix works too
  EXPECT_EQ(Update(w, "GETDYN", "bekkan").lines, std::vector<std::string>{w.address()});

  for (const char* key : {"nokey", "DYN$bekkan", ""}) EXPECT_FALSE(Update(w, "GETDYN", key).ok);
  EXPECT_FALSE(Update(w, "GET", "bekkan").ok);
}

TEST(Directory, ClaimsAreStoredAndAnsweredWithOkAtTheStart) {
  const World& w = SharedWorld();
  Fields claim = {{"COMMAND", "CLAIM"},         {"TOLIST", ""},
                  {"TOUSER", "hiroba"},         {"TONAME", Sj("はなこ%広場")},
                  {"FROMSITE", Sj("別館")},     {"FROMNAME", Sj("じろう")},
                  {"FROMDATE", NextDate()},     {"TITLE", Sj("件名")},
                  {"HONBUN", Sj("本文")},       {"KANKEI", Sj("知人")},
                  {"SHUBETSU", Sj("一般連絡")}, {"CLAIM", "\t" + Sj("種別不正")},
                  {"COMMENT", Sj("広告でした")}};
  auto claims = [&] {
    const std::string list = w.Admin({"list"}).out;
    return std::stoi(list.substr(list.find("claims: ") + 8));
  };
  const int before = claims();
  Reply r = Post(w.address(), "WbClaim.exe", claim);
  EXPECT_EQ(r.body.rfind("OK(PGM)", 0), 0u) << Utf(r.body);
  EXPECT_TRUE(r.ok);
  claim[11].second = "";  // no reason given
  Reply empty = Post(w.address(), "WbClaim.exe", claim);
  EXPECT_NE(empty.body.rfind("OK(PGM)", 0), 0u);
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(claims(), before + 1);
}

}  // namespace
}  // namespace sorami::sitetest
