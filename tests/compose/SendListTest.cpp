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

// A list that is there but cannot be read (here: a folder in its place) is moved aside, so the
// save at exit writes a new file instead of replacing it.
TEST(SendList, AnUnreadableListIsKeptAsideNotOverwritten) {
  test::ScratchDir dir;
  DiagLog log;
  std::string msg;
  std::filesystem::create_directories(dir / "Data" / "SendList.dat" / "inside");
  std::vector<AddressEntry> entries;
  EXPECT_FALSE(ReadSendList(entries, dir / "Data", log, msg));
  EXPECT_NE(msg.find("(Kept : " + (dir / "Data" / "SendList.dat.unread-").string()),
            std::string::npos)
      << msg;
  ASSERT_TRUE(SaveSendList({{"a", "", "n"}}, dir / "Data", log, msg));
  int kept = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir / "Data")) {
    kept += e.path().filename().string().starts_with("SendList.dat.unread-") &&
            std::filesystem::exists(e.path() / "inside");
  }
  EXPECT_EQ(kept, 1);
}

}  // namespace
}  // namespace sorami
