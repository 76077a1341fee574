#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/AttachNames.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

TEST(AttachNames, NamesFromOutsideStayPlainFileNames) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"../../etc/passwd", "passwd"},
      {"C:\\Windows\\evil.exe", "evil.exe"},
      {"..", "attachment"},
      {"", "attachment"},
      {".hidden", "_hidden"},
      {"...x.y", "___x.y"},
      {"a:b\nc.txt", "a_b_c.txt"},
      {Utf8ToCp932("ソ表.txt"), Utf8ToCp932("ソ表.txt")},  // 5C as a second byte stays
      {"x\x81/y", "y"},                                    // a lone lead byte cannot hide the "/"
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(SafeAttachmentName(in), want) << in;
}

TEST(AttachNames, ANewFileNeverReplacesAnExistingOne) {
  test::ScratchDir dir;
  DiagLog log;
  std::string name = "x.txt";
  EXPECT_EQ(CheckSameName(log, dir.path(), name), dir / "x.txt");
  test::WriteFileBytes(dir / "x.txt", "1");
  test::WriteFileBytes(dir / "x_01.txt", "2");
  EXPECT_EQ(CheckSameName(log, dir.path(), name), dir / "x_02.txt");
  EXPECT_EQ(name, "x_02.txt");
  name = "a.b.txt";
  test::WriteFileBytes(dir / "a.b.txt", "3");
  CheckSameName(log, dir.path(), name);
  EXPECT_EQ(name, "a_01.b.txt");
  name = "README";
  test::WriteFileBytes(dir / "README", "4");
  CheckSameName(log, dir.path(), name);
  EXPECT_EQ(name, "README_01.");

  std::tm tm{};
  tm.tm_year = 126;
  tm.tm_mon = 11;
  tm.tm_mday = 6;
  tm.tm_hour = 9;
  const std::time_t now = std::mktime(&tm);
  EXPECT_EQ(GetUniqName(dir.path(), "memo_2026.txt", now), dir / "memo_2026.txt");
  EXPECT_EQ(GetUniqName(dir.path(), "a.b.pdf", now), dir / "a_20261206090000.pdf");
  test::WriteFileBytes(dir / "a_20261206090000.pdf", "5");
  test::WriteFileBytes(dir / "a_1.pdf", "6");
  EXPECT_EQ(GetUniqName(dir.path(), "a.b.pdf", now), dir / "a_2.pdf");
}

}  // namespace
}  // namespace sorami
