#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/StoreFixture.h"
#include "store/UserFolders.h"

namespace sorami {
namespace {

class UserFoldersTest : public test::StoreTest {
 protected:
  std::filesystem::path Data() { return dir / "app" / "Data"; }
};

TEST_F(UserFoldersTest, TheFileRoundTripsInItsLayout) {
  const std::vector<UserFolder> folders = {{Utf8ToCp932("友達"), true}, {"work", false}};
  ASSERT_TRUE(SaveUserFolder(folders, Data(), st->log, msg));  // also before Data exists
  EXPECT_EQ(test::ReadFileBytes(Data() / "UserFolder.dat"),
            "0\t" + Utf8ToCp932("友達") + "\ton\r\n1\twork\t\r\n");

  // A line ending after the name reads as unchecked; only "on" checks.
  test::WriteFileBytes(Data() / "UserFolder.dat",
                       "0\ta\ton\r\n1\tb\r\n2\tc\tON\r\n3\t" + Utf8ToCp932("ソ表") + "\ton\r\n");
  std::vector<UserFolder> read = {{"stale", true}};
  ASSERT_TRUE(ReadUserFolder(read, Data(), st->log, msg));
  ASSERT_EQ(read.size(), 4u);
  EXPECT_TRUE(read[0].enabled);
  EXPECT_FALSE(read[1].enabled);
  EXPECT_FALSE(read[2].enabled);
  EXPECT_EQ(read[3].name, Utf8ToCp932("ソ表"));

  std::filesystem::remove(Data() / "UserFolder.dat");
  EXPECT_FALSE(ReadUserFolder(read, Data(), st->log, msg));
  EXPECT_EQ(Cp932ToUtf8(msg).rfind("読込不可:", 0), 0u);
  EXPECT_EQ(read.size(), 4u);  // a missing file leaves the list
  test::WriteFileBytes(dir / "blocked", "a file where the data directory should be");
  EXPECT_FALSE(SaveUserFolder(folders, dir / "blocked", st->log, msg));
  EXPECT_EQ(Cp932ToUtf8(msg).rfind("保存不可:", 0), 0u);
}

TEST_F(UserFoldersTest, ANameMustBeNewAndNoSystemFolder) {
  const std::vector<UserFolder> folders = {{"work", true}};
  EXPECT_TRUE(UserFolderNameAcceptable("play", folders));
  for (const char* bad : {"", "work", "既読", "受信箱(未読)", "削除済み", "a\tb", "a\nb", "a\r"}) {
    EXPECT_FALSE(UserFolderNameAcceptable(Utf8ToCp932(bad), folders)) << bad;
  }
  // The inbox's stored name is refused as well as its caption, and the text says why.
  EXPECT_EQ(Cp932ToUtf8(UserFolderNameProblem(Utf8ToCp932("受信箱"), folders)),
            "システムフォルダの名称は使えません : 受信箱");
}

}  // namespace
}  // namespace sorami
