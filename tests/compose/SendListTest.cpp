#include <gtest/gtest.h>

#include "compose/SendList.h"
#include "platform/Codepage.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

TEST(SendList, EntriesRoundTripAndShortOrTabbedLinesReadWhole) {
  test::ScratchDir dir;
  DiagLog log;
  std::string msg;
  std::vector<AddressEntry> entries = {{"kept", "", "x"}};
  EXPECT_FALSE(ReadSendList(entries, dir / "Data", log, msg));
  EXPECT_EQ(msg, "Cannot Read : " + (dir / "Data" / "SendList.dat").string());
  EXPECT_EQ(entries.size(), 1u);

  test::WriteFileBytes(dir / "Data" / "SendList.dat",
                       Utf8ToCp932("はなこ\tはなこ%広場,a@b.jp\t家族\r\nonly a name\r\n"
                                   "r\tx\trel\twith tab\r\n"));
  ASSERT_TRUE(ReadSendList(entries, dir / "Data", log, msg));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].address, Utf8ToCp932("はなこ%広場,a@b.jp"));
  EXPECT_EQ(entries[0].relation, Utf8ToCp932("家族"));
  EXPECT_EQ(entries[1].name, "only a name");
  EXPECT_EQ(entries[1].address, "");
  EXPECT_EQ(entries[2].relation, "rel\twith tab");

  ASSERT_TRUE(SaveSendList(entries, dir / "Data", log, msg));
  EXPECT_EQ(test::ReadFileBytes(dir / "Data" / "SendList.dat"),
            Utf8ToCp932("はなこ\tはなこ%広場,a@b.jp\t家族\r\nonly a name\t\t\r\n"
                        "r\tx\trel\twith tab\r\n"));
  ASSERT_TRUE(SaveSendList({}, dir / "Data", log, msg));  // the last entry deleted
  EXPECT_EQ(test::ReadFileBytes(dir / "Data" / "SendList.dat"), "");
}

}  // namespace
}  // namespace sorami
