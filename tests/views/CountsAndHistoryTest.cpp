#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/Folders.h"
#include "store/StoreFixture.h"
#include "store/StoreOps.h"
#include "views/FolderCounts.h"
#include "views/History.h"

namespace sorami {
namespace {

class Views : public test::StoreTest {
 protected:
  std::vector<std::string> NodeTexts() {
    std::vector<std::string> n;
    for (const char* t :
         {"メッセージ", "受信箱(未読)", "既読", "送信箱", "草稿", "重要", "削除済み"}) {
      n.push_back(Utf8ToCp932(t));
    }
    return n;
  }
};

TEST_F(Views, CountsFollowTheTreeAndAFolderNoNodeNamesCountsNowhere) {
  Add("", "", "受信箱");
  Add("", "", "受信箱");
  Add("", "", "既読");
  Add("", "", "削除済み");
  Add("", "", "unknown");
  auto nodes = NodeTexts();
  nodes.push_back(Utf8ToCp932("既読"));  // a second node of one name: the first one counts
  auto rows = CountKensuu(st->store, st->log, nodes);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(Cp932ToUtf8(rows[0].caption + rows[0].count), "受信箱2 件");
  EXPECT_EQ(Cp932ToUtf8(rows[1].count + rows[5].count + rows[6].count), "1 件1 件0 件");
  std::string summary;
  EXPECT_TRUE(SetDisplay(st->store, st->log, summary));
  EXPECT_EQ(Cp932ToUtf8(summary),
            " 受信箱 : 2 件 既読 : 1 件 送信箱 : 0 件 草稿 : 0 件 重要 : 0 件 削除済み : 1 件");
}

TEST_F(Views, HistoryMovesInACircle) {
  EXPECT_FALSE(HistoryBack(st->history));
  for (const char* k : {"3", "7", "9"}) AddHistory(st->history, true, k);
  AddHistory(st->history, false, "topic");
  st->history.pos = 3;
  EXPECT_FALSE(CurrentHistoryEntry(st->history).message);
  EXPECT_EQ(CurrentHistoryEntry(st->history).key, "topic");
  ASSERT_TRUE(HistoryForward(st->history));
  EXPECT_EQ(st->history.pos, 0);
  EXPECT_EQ(CurrentHistoryEntry(st->history).key, "3");
  EXPECT_TRUE(CurrentHistoryEntry(st->history).message);
  ASSERT_TRUE(HistoryBack(st->history));
  EXPECT_EQ(st->history.pos, 3);
  EXPECT_EQ(st->history.entries.size(), 4u);  // moving adds nothing
}

TEST_F(Views, SetToNameJoinsSortedNamesOnceEach) {
  const std::string to = Utf8ToCp932("bob％site、Alice%site");
  const std::string list = Utf8ToCp932("ALICE%SITE,carol%site,,");
  EXPECT_EQ(Cp932ToUtf8(SetToName(st->log, to, list)), "Alice%site,bob%site,carol%site");
  EXPECT_EQ(SetToName(st->log, "", ""), "");
}

}  // namespace
}  // namespace sorami
