// The administrative commands, the sample database script, and what lands in the database.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>

#include "World.h"

namespace sorami::sitetest {
namespace {

std::vector<std::string> Column(const std::string& db, const char* sql) {
  sqlite3* h = nullptr;
  sqlite3_open(db.c_str(), &h);
  sqlite3_stmt* s = nullptr;
  std::vector<std::string> out;
  if (sqlite3_prepare_v2(h, sql, -1, &s, nullptr) == SQLITE_OK) {
    while (sqlite3_step(s) == SQLITE_ROW) {
      out.emplace_back(static_cast<const char*>(sqlite3_column_blob(s, 0)),
                       static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
    }
  }
  sqlite3_finalize(s);
  sqlite3_close(h);
  return out;
}

TEST(Admin, NamesAreStoredAsCodePage932AndPasswordsOnlyAsHashes) {
  const World& w = SharedWorld();
  EXPECT_EQ(Column(w.db(), "SELECT name FROM site ORDER BY id"),
            (std::vector<std::string>{Sj("広場"), Sj("別館"), Sj("秘密")}));
  std::vector<std::string> hashes = Column(w.db(), "SELECT passhash FROM member");
  ASSERT_EQ(hashes.size(), 4u);
  for (const std::string& h : hashes) {
    EXPECT_TRUE(h.starts_with("$argon2id$")) << h;
    for (const Account* a : {&kHanako, &kTaro, &kJiro, &kSohyo}) {
      EXPECT_EQ(h.find(Sj(a->pass)), std::string::npos);
    }
  }
  const std::string list = w.Admin({"list"}).out;
  EXPECT_NE(list.find("ソ表%秘密"), std::string::npos) << list;
  EXPECT_NE(list.find("dynamic=DYN$bekkan"), std::string::npos);
}

TEST(Admin, BadArgumentsAreRefusedAndChangeNothing) {
  const World& w = SharedWorld();
  const std::string before = w.Admin({"list"}).out;
  const std::vector<std::vector<std::string>> bad = {
      {"addsite", "新", "--host", "nohost", "--user", "shin"},
      {"addsite", "新", "--host", "h:99999", "--user", "shin"},
      {"addsite", "新", "--host", "h:1", "--user", "bad user"},
      {"addsite", "広場", "--host", "h:1", "--user", "shin"},
      {"addsite", "新", "--host", "h:1", "--user", "hiroba"},
      {"addsite", "新", "--host", "h:1", "--user", "shin", "--dynamic", "nodollar"},
      {"addsite", "新%所", "--host", "h:1", "--user", "shin"},
      {"addsite", "新", "--user", "shin"},
      {"adduser", "無い", "x", "p"},
      {"adduser", "広場", "はなこ", "p"},
      {"adduser", "広場", "新人", ""},
      {"adduser", "広場", "😀", "p"},
      {"setdyn", "DYN$none", "h:1"},
      {"setdyn", "XYZ$bekkan", "h:1"},
      {"notice"}};
  for (std::vector<std::string> args : bad) {
    args.insert(args.end(), {"--db", w.db()});
    CommandResult r = RunServerCommand(args, w.dir().path());
    EXPECT_NE(r.exitCode, 0) << args[0] << " " << args[1];
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_EQ(w.Admin({"list"}).out, before);
  EXPECT_EQ(RunServerCommand({"list"}, w.dir().path()).exitCode, 2);  // no --db
}

TEST(Admin, AMissingOrUninitialisedDatabaseIsRefused) {
  test::ScratchDir dir;
  test::WriteFileBytes(dir / "empty.db", "");
  for (const std::string& db : {(dir / "missing.db").string(), (dir / "empty.db").string()}) {
    for (std::vector<std::string> args : {std::vector<std::string>{"list"},
                                          {"adduser", "a", "b", "c"},
                                          {"serve", "--listen", "127.0.0.1:0"}}) {
      args.insert(args.end(), {"--db", db});
      CommandResult r = RunServerCommand(args, dir.path());
      EXPECT_EQ(r.exitCode, args[0] == "serve" ? 1 : 2) << args[0];
      EXPECT_NE(r.err.find("init"), std::string::npos) << r.err;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));  // not made by a typo
}

TEST(Admin, TheSampleDatabaseHoldsTheWelcomeMessageWithItsAttachment) {
  test::ScratchDir dir;
  const std::string db = (dir / "sample.db").string();
  setenv("SORAMI_SITE_SERVER", ServerProgram().c_str(), 0);
  ASSERT_EQ(std::system(("'" SORAMI_SITE_SAMPLE_SCRIPT "' '" + db + "' >/dev/null").c_str()), 0);
  ServerProcess server({"--db", db, "--listen", "127.0.0.1:0"}, dir / "log");
  const std::string& host = server.address();
  for (const Account& a : {Account{"ソラミ広場", "はなこ", "hanako", "hiroba"},
                           Account{"ソラミ別館", "たろう", "taro", "bekkan"}}) {
    Reply r = Post(host, "WbMessage.exe", FetchFields(a, "GET", host));
    ASSERT_EQ(r.lines.size(), 1u) << a.nick << " " << Utf(r.status);
    std::vector<std::string> line = SplitTabs(r.lines[0]);
    EXPECT_EQ(Utf(line[6]), "事務局");
    EXPECT_EQ(Utf(line[19]), "はじめに.txt");
    Reply file = GetAttachment(host, line[19], line[15], line[5]);
    EXPECT_EQ(file.httpStatus, 200);
    EXPECT_TRUE(Utf(file.body).starts_with("はじめに\r\n"));
  }
  EXPECT_TRUE(
      Post(host, "WbMessage.exe", CheckFields({"ソラミ広場", "事務局", "jimu", "hiroba"}, host))
          .ok);
}

}  // namespace
}  // namespace sorami::sitetest
