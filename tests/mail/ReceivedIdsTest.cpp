#include <gtest/gtest.h>

#include "mail/ReceivedIds.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

TEST(ReceivedIds, EachMailboxKeepsItsOwnIdsAndTheServerListPrunesThem) {
  ScratchDir dir;
  WriteFileBytes(dir / "PopReceived.dat", "other.jp\ttaro\tx1\r\npop.jp\ttaro\told\r\n");
  ReceivedIds ids(dir.path(), "pop.jp", "taro");
  ASSERT_TRUE(ids.Load());
  EXPECT_TRUE(ids.Has("old"));
  EXPECT_FALSE(ids.Has("x1"));  // another host's
  ids.Add("new\tid");           // a TAB would break the line
  ids.Add("kept");
  ids.KeepOnly({"kept", "new id", "never stored"});
  ASSERT_TRUE(ids.Save());
  EXPECT_EQ(ReadFileBytes(dir / "PopReceived.dat"),
            "other.jp\ttaro\tx1\r\npop.jp\ttaro\tnew id\r\npop.jp\ttaro\tkept\r\n");
}

TEST(ReceivedIds, AFileThatCannotBeReadIsNeverOverwritten) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / "PopReceived.dat");  // unreadable as a file
  ReceivedIds ids(dir.path(), "pop.jp", "taro");
  EXPECT_FALSE(ids.Load());
  ids.Add("a");
  EXPECT_FALSE(ids.Save());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "PopReceived.dat"));
}

}  // namespace
}  // namespace sorami
