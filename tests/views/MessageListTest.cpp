#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/Folders.h"
#include "store/StoreFixture.h"
#include "views/MessageList.h"

namespace sorami {
namespace {

class MessageListTest : public test::StoreTest {
 protected:
  std::vector<std::string> Column(ListCol col) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i)
      out.push_back(Cp932ToUtf8(list.Text(st->store, i, col)));
    return out;
  }
  MessageList list;
};

TEST_F(MessageListTest, TheRootListsEverythingButTheWastebasketAndNodesCutAtTheParen) {
  Add("", "inbox", "受信箱");
  Add("", "gone", "削除済み");
  Add("", "user", "友達");
  Add("", "nofolder", "");
  Add("", "read", "既読");
  list.Fill(st->store, 0, FolderNames()[0]);
  EXPECT_EQ(Column(ListCol::kTitle),
            (std::vector<std::string>{"inbox", "user", "nofolder", "read"}));
  EXPECT_EQ(Column(ListCol::kIndex), (std::vector<std::string>{"0", "2", "3", "4"}));

  EXPECT_EQ(Cp932ToUtf8(NodeFolder(Utf8ToCp932("受信箱(未読)"))), "受信箱");
  EXPECT_EQ(Cp932ToUtf8(NodeFolder(Utf8ToCp932("友達(仕事)"))), "友達");
  list.Fill(st->store, 7, NodeFolder(Utf8ToCp932("友達(仕事)")));
  EXPECT_EQ(Column(ListCol::kTitle), std::vector<std::string>{"user"});
  list.Fill(st->store, 6, FolderName(Folder::kDeleted));
  EXPECT_EQ(Column(ListCol::kTitle), std::vector<std::string>{"gone"});
}

TEST_F(MessageListTest, BodyColumnShowsTenCharactersCountedTheShiftJisWay) {
  Add("", "t", "受信箱", "漢字漢字漢abcdefghij");
  Add("", "t", "受信箱",
      "a\r\nb\x0C\x0B"
      "c\nd\re fghijk");  // one line in the list
  list.Fill(st->store, 0, "");
  EXPECT_EQ(Column(ListCol::kBody), (std::vector<std::string>{"漢字漢字漢abcde", "a b c d e "}));
}

TEST_F(MessageListTest, TextColumnsGoDescendingAscendingDescendingAndNumbersSortAsNumbers) {
  for (const char* t : {"b", "c", "a"}) Add("", t, "受信箱");
  list.Fill(st->store, 0, "");
  list.ColumnClick(st->store, ListCol::kTitle);
  EXPECT_EQ(Column(ListCol::kTitle), (std::vector<std::string>{"c", "b", "a"}));
  list.ColumnClick(st->store, ListCol::kTitle);
  EXPECT_EQ(Column(ListCol::kTitle), (std::vector<std::string>{"a", "b", "c"}));
  list.ColumnClick(st->store, ListCol::kTitle);
  EXPECT_EQ(Column(ListCol::kTitle), (std::vector<std::string>{"c", "b", "a"}));

  // Another column keeps the flag (clear again after three clicks): numbers ascend, so "9"
  // comes before "10"; a second click reverses.
  for (int i = 3; i <= 10; ++i) Add("", "x", "受信箱");
  list.Fill(st->store, 0, "");
  list.ColumnClick(st->store, ListCol::kIndex);
  EXPECT_EQ(Column(ListCol::kIndex),
            (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  list.ColumnClick(st->store, ListCol::kIndex);
  EXPECT_EQ(Column(ListCol::kIndex).front(), "10");
}

TEST_F(MessageListTest, DatesSortAsTextAndMixedValuesNeverBreakTheSort) {
  Add("", "", "受信箱", "", "2026/01/02 00:00:00");
  Add("", "", "受信箱", "", "2025/12/31 23:59:59");
  Add("", "", "受信箱", "", "2026/01/10 00:00:00");
  list.Fill(st->store, 0, "");
  list.ColumnClick(st->store, ListCol::kDate);  // flag clear: text columns descending
  EXPECT_EQ(Column(ListCol::kDate),
            (std::vector<std::string>{"2026/01/10 00:00:00", "2026/01/02 00:00:00",
                                      "2025/12/31 23:59:59"}));
  // Values whose numeric and text orders disagree ("2" < "10" < "1x" < "2") still sort
  // without harm and keep every row.
  for (const char* t : {"2", "10", "1x", "-3", "", "99999999999"}) Add("", t, "受信箱");
  list.Fill(st->store, 0, "");
  list.ColumnClick(st->store, ListCol::kTitle);
  auto titles = Column(ListCol::kTitle);
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles,
            (std::vector<std::string>{"", "", "", "", "-3", "10", "1x", "2", "99999999999"}));
}

}  // namespace
}  // namespace sorami
