// sorami-cli search / folders / move, run as a user runs them.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/StoreFixture.h"
#include "store/UserFolders.h"
#include "support/Cli.h"

namespace sorami {
namespace {

class CliFindTest : public test::StoreTest {
 protected:
  std::string Run(const std::string& args, int& status, std::string* err = nullptr) {
    return test::RunCli(args, dir / "app", dir / "cfg", status, err);
  }
};

TEST_F(CliFindTest, SearchListsFoldersAndMoveFilesAndSaves) {
  if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI names the command line under test";
  Add("to", "花見の予定", "受信箱", "公園");
  Add("to", "会議", "既読");
  std::filesystem::create_directories(dir / "app" / "Data");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  ASSERT_TRUE(SaveUserFolder({{Utf8ToCp932("友達"), true}}, dir / "app" / "Data", st->log, msg));

  int status = 0;
  std::string err;
  std::string out = Run("search 花見 公園", status, &err);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.rfind("{\"index\": 0, \"cols\": [", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
  EXPECT_NE(err.find("検索完了 :1 件"), std::string::npos);
  out = Run("search --or 花見 会議", status);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
  Run("search", status);
  EXPECT_EQ(status, 2);

  EXPECT_EQ(Run("folders", status), "{\"index\": 0, \"name\": \"友達\", \"enabled\": true}\n");
  EXPECT_EQ(Run("move 1 友達", status), "{\"moved\": true, \"folder\": \"友達\"}\n");
  EXPECT_EQ(status, 0);
  Run("move 1 どこか", status);
  EXPECT_EQ(status, 1);  // not a folder of the menu
  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(1, MastCol::kFolder)), "友達");
}

TEST_F(CliFindTest, SearchPrintsTheSameFromAPlainFileAsFromAnEncryptedOne) {
  if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI names the command line under test";
  Add("to", "花見の予定", "受信箱", "公園で\r\n\"十時\"");
  Add("to", "会議", "削除済み");  // not kept by a read: the rows after it move up
  Add("to", "会議の花見", "送信箱", "", "2026/01/02");
  Add("to", "ソ\\", "重要", "0002");
  std::filesystem::create_directories(dir / "app" / "Data");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  const std::vector<std::string> searches = {"search 花見", "search --or 0001 \\ 十時",
                                             "search 会議 花見", "search 削除済み"};
  std::vector<std::string> plain;
  int status = 0;
  std::string err;
  for (const std::string& args : searches) {
    plain.push_back(Run(args, status, &err) + err);
    EXPECT_EQ(status, 0);
  }
  EXPECT_NE(plain[0].find("\"index\": 1, "), std::string::npos) << plain[0];
  ASSERT_TRUE(SaveMasterAs(st->master, st->store, true, msg)) << msg;
  ASSERT_FALSE(Has("Master.dat"));
  for (size_t i = 0; i < searches.size(); ++i) {
    EXPECT_EQ(Run(searches[i], status, &err) + err, plain[i]) << searches[i];
  }
  // A damaged encrypted store: no rows, and the read's failure.
  std::string sealed = test::ReadFileBytes(DataFile("Master.enc"));
  sealed[sealed.size() - 3] ^= 1;
  test::WriteFileBytes(DataFile("Master.enc"), sealed);
  EXPECT_EQ(Run(searches[0], status, &err), "");
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("暗号復号失敗"), std::string::npos) << err;
}

TEST_F(CliFindTest, HelpFindsTheTopicFileAndPrintsItsText) {
  if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI names the command line under test";
  int status = 0;
  // The help directory of the settings is wrong: the application's Help folder is used.
  const auto help = std::filesystem::path(std::getenv("SORAMI_TEST_DATA")) / ".." / ".." / "help";
  std::filesystem::create_directories(dir / "app" / "Help");
  std::filesystem::copy_file(help / "概要.rtf", dir / "app" / "Help" / "概要.rtf");
  const std::string out = Run("help 概要", status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("/app/Help/概要.rtf\""), std::string::npos) << out;
  EXPECT_NE(out.find("ソラミメッセージ"), std::string::npos);
  Run("help", status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace sorami
