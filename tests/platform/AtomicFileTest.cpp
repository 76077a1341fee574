#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

size_t EntriesIn(const std::filesystem::path& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(AtomicFile, AnInterruptedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  ScratchDir dir;
  const auto target = dir / "Master.dat";
  WriteFileBytes(target, "old contents");
  {
    AtomicFileWriter w;
    ASSERT_TRUE(w.Open(target));
    ASSERT_TRUE(w.Write("half of the new"));
    // Destroyed without Commit, as when the program dies in the middle of a save.
  }
  EXPECT_EQ(ReadFileBytes(target), "old contents");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, CommitReplacesTheFileAndKeepsItsPermissions) {
  ScratchDir dir;
  const auto target = dir / "f";
  WriteFileBytes(target, "old");
  std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
  ASSERT_TRUE(WriteFileAtomic(target, std::string("new\0bytes", 9)));
  EXPECT_EQ(ReadFileBytes(target), std::string("new\0bytes", 9));
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace sorami
