// The main window as a message browser: tree, list, pane, counts and history.
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

#include "gui/BrowseFixture.h"

namespace sorami::test {
namespace {

using BrowseTest = BrowseFixture;

TEST_F(BrowseTest, AStoredStoreOpensOnTheInboxWithItsCounts) {
  Add({.title = "in1"});
  Add({.title = "old", .folder = "既読"});
  Add({.title = "in2"});
  Add({.title = "gone", .folder = "削除済み"});
  main->close();  // saves the store
  EndRun();

  StartAndShow();
  EXPECT_EQ(Tree()->currentItem()->text(0), QStringLiteral("受信箱(未読)"));
  EXPECT_EQ(Titles(), (Strings{"in1", "in2"}));
  // The deleted record is not written at exit, so the wastebasket starts empty.
  EXPECT_EQ(CountTexts(), (Strings{"受信箱=2 件", "既読=1 件", "送信箱=0 件", "草稿=0 件",
                                   "重要=0 件", "削除済み=0 件"}));
  EXPECT_FALSE(Find<QPushButton>(main, "BtSakujo")->isEnabled());

  EXPECT_TRUE(Browser().SetDisplay());
  EXPECT_EQ(Status(),
            " 受信箱 : 2 件 既読 : 1 件 送信箱 : 0 件 草稿 : 0 件 重要 : 0 件 削除済み : 0 件");
}

TEST_F(BrowseTest, TreeNodesListTheirFoldersAndTheRootLeavesOutTheWastebasket) {
  Add({.title = "in"});
  Add({.title = "gone", .folder = "削除済み"});
  Add({.title = "user", .folder = "友達"});
  Add({.title = "none", .folder = ""});
  Add({.title = "read", .folder = "既読"});
  Refresh(0);
  EXPECT_EQ(Titles(), (Strings{"in", "user", "none", "read"}));
  EXPECT_EQ(Column(ListCol::kIndex), (Strings{"0", "2", "3", "4"}));

  ClickNode(1);
  EXPECT_EQ(Titles(), Strings{"in"});
  ClickNode(6);
  EXPECT_EQ(Titles(), Strings{"gone"});
  ClickNode(3);
  EXPECT_EQ(Titles(), Strings{});
}

TEST_F(BrowseTest, ClickingARowShowsTheRecordInThePane) {
  Add({.title = "first"});
  Add({.title = "件名",
       .sender = "taro%site",
       .date = "2026/03/04 05:06:07",
       .read_date = "2026/03/05 00:00:00",
       .body = "line1\r\nline2\x0C\x08tab",
       .to = "bob％site、Alice%site",
       .to_list = "ALICE%SITE,carol%site",
       .cc = "cc@example.com",
       .bcc = "bcc@example.com"});
  Refresh(1);
  ClickRow(1);

  EXPECT_EQ(Label("LabelFromID"), "taro%site");
  EXPECT_EQ(Label("LabelTitle"), "件名");
  EXPECT_EQ(Label("LabelToName"), "Alice%site,bob%site,carol%site");
  EXPECT_EQ(Label("LabelFromDate"), "2026/03/04 05:06:07");
  EXPECT_EQ(Label("LabelUptime"), "2026/03/05 00:00:00");
  EXPECT_EQ(Label("LabelFolder"), "受信箱");
  EXPECT_EQ(Label("LabelCC"), "cc@example.com");
  EXPECT_EQ(Label("LabelBcc"), "bcc@example.com");
  EXPECT_EQ(Find<QTextEdit>(main, "MemoRich")->toPlainText(), QStringLiteral("line1\nline2\ttab"));
  EXPECT_EQ(st->store.glix, 1);
  for (const char* b : {"BtSakujo", "BtHenshin", "BtAll", "BtClaim", "BtBack", "BtForward"}) {
    EXPECT_TRUE(Find<QPushButton>(main, b)->isEnabled()) << b;
  }
  EXPECT_TRUE(Find<QLabel>(main, "Labelsoushin")->isVisible());

  // A mail hides the caption "送信時刻", and no claim report can be made about it.
  Add({.title = "mail", .read_date = "2026/01/01 00:00:00", .category = "メール"});
  Refresh(1);
  EXPECT_FALSE(Find<QPushButton>(main, "BtSakujo")->isEnabled());  // listing disables them
  ClickRow(2);
  EXPECT_EQ(Label("LabelTitle"), "mail");
  EXPECT_FALSE(Find<QLabel>(main, "Labelsoushin")->isVisible());
  EXPECT_FALSE(Find<QPushButton>(main, "BtClaim")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>(main, "BtSakujo")->isEnabled());
}

TEST_F(BrowseTest, ReadingFromTheInboxOrRootMarksReadAndMovesOneCountWithoutARecount) {
  const int32_t site = Add({.title = "site"});
  const int32_t mail = Add({.title = "mail", .category = "メール"});
  Add({.title = "old", .folder = "既読", .read_date = "2026/01/01 00:00:00"});
  const int32_t filed = Add({.title = "filed", .folder = "重要"});
  std::vector<int32_t> receipts;
  Browser().hooks.send_feedback = [&](int32_t row) {
    receipts.push_back(row);
    return std::string("fed back");
  };
  Refresh(1);
  ASSERT_EQ(CountTexts()[0], "受信箱=2 件");

  ClickRow(0);
  EXPECT_EQ(Folder(site), "既読");
  const std::string read_at = Field(site, MastCol::kReadDate);
  EXPECT_EQ(read_at.size(), 19u);
  EXPECT_EQ(Column(ListCol::kReadDate)[0], read_at);  // the list row shows the new read date
  EXPECT_EQ(Titles(), (Strings{"site", "mail"}));     // and stays until the inbox is listed again
  EXPECT_EQ(CountTexts()[0], "受信箱=1 件");
  EXPECT_EQ(CountTexts()[1], "既読=2 件");
  ClickRow(0);  // already read: nothing moves
  EXPECT_EQ(CountTexts()[0], "受信箱=1 件");
  ClickRow(1);
  EXPECT_EQ(Folder(mail), "既読");
  EXPECT_EQ(CountTexts()[0], "受信箱=0 件");
  EXPECT_EQ(receipts, std::vector<int32_t>{site});  // mail gets no receipt

  // Any other folder leaves an unread message unread; the root marks it read.
  Refresh(5);
  ClickRow(0);
  EXPECT_EQ(Label("LabelTitle"), "filed");
  EXPECT_EQ(Field(filed, MastCol::kReadDate), "(未読)");
  Refresh(0);
  ClickRow(3);
  EXPECT_EQ(Folder(filed), "既読");
}

TEST_F(BrowseTest, HeaderClicksSortAndTheSelectionStaysOnItsRecord) {
  Add({.title = "b", .sender = "y"});
  Add({.title = "c", .sender = "x"});
  Add({.title = "a", .sender = "z"});
  Refresh(1);
  ClickRow(0);  // "b"
  ClickHeader(ListCol::kTitle);
  EXPECT_EQ(Titles(), (Strings{"c", "b", "a"}));
  ClickHeader(ListCol::kTitle);
  EXPECT_EQ(Titles(), (Strings{"a", "b", "c"}));
  ClickHeader(ListCol::kTitle);
  EXPECT_EQ(Titles(), (Strings{"c", "b", "a"}));
  ClickHeader(ListCol::kSender);  // another column keeps the flag, clear: senders ascending
  EXPECT_EQ(Column(ListCol::kSender), (Strings{"x", "y", "z"}));
  EXPECT_EQ(SelectedTitles(), Strings{"b"});
  EXPECT_EQ(st->store.glix, 1);  // the last clicked row moved with its record
}

TEST_F(BrowseTest, KeysInTheListShowEachMessageAndTheCountListOpensAFolder) {
  Inbox({"one", "two", "three"});
  ClickRow(0);
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(Label("LabelTitle"), "two");
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(Label("LabelTitle"), "three");
  EXPECT_EQ(st->history.entries.size(), 3u);

  Add({.title = "draft", .folder = "草稿"});
  Browser().CountKensuu();
  Find<QTabWidget>(main, "PageCon")->setCurrentIndex(2);  // the tab "件数"
  ClickView(Counts(), 3);                                 // row k stands for tree node k + 1
  EXPECT_EQ(Tree()->currentItem()->text(0), QStringLiteral("草稿"));
  EXPECT_EQ(Titles(), Strings{"draft"});
  Counts()->setCurrentIndex(Counts()->model()->index(0, 0));
  QTest::keyClick(Counts(), Qt::Key_Down);  // a key in the count list acts as a click
  EXPECT_EQ(Tree()->currentItem()->text(0), QStringLiteral("既読"));
}

TEST_F(BrowseTest, BackAndForwardMoveThroughTheHistoryInACircle) {
  Inbox({"a", "b", "c"});
  auto* back = Find<QPushButton>(main, "BtBack");
  auto* forward = Find<QPushButton>(main, "BtForward");
  EXPECT_FALSE(back->isEnabled());
  ClickRow(0);
  ClickRow(1);
  ClickRow(2);
  ASSERT_EQ(st->history.entries, (Strings{"M\t0", "M\t1", "M\t2"}));

  forward->click();  // from the last entry to the first
  EXPECT_EQ(Label("LabelTitle"), "a");
  back->click();  // and back round to the last
  EXPECT_EQ(Label("LabelTitle"), "c");
  back->click();
  EXPECT_EQ(Label("LabelTitle"), "b");
  EXPECT_EQ(st->history.entries.size(), 3u);  // moving adds nothing
  EXPECT_EQ(st->history.pos, 1);
  // The same message twice is two entries, and the position goes to the last.
  ClickRow(0);
  ClickRow(0);
  EXPECT_EQ(st->history.entries.size(), 5u);
  EXPECT_EQ(st->history.pos, 4);

  // A help entry goes to the help viewer; a record that is gone leaves the pane as it was.
  std::vector<std::string> topics;
  Browser().hooks.show_help = [&](const std::string& t) { topics.push_back(t); };
  st->history.entries.push_back("\tmain");
  st->history.entries.push_back("M\t99");
  forward->click();
  EXPECT_EQ(topics, Strings{"main"});
  forward->click();
  EXPECT_EQ(Label("LabelTitle"), "a");
  EXPECT_EQ(st->history.pos, 6);
}

TEST_F(BrowseTest, AListRowWhoseRecordIsGoneEndsTheDisplayWithTheError) {
  Inbox({"a"});
  ClickRow(0);
  st->store.Clear();  // the list still shows row 0
  ClickRow(0);
  EXPECT_EQ(main->StatusText(), QStringLiteral("エラー(HyoujiMessage)"));
  EXPECT_EQ(Label("LabelTitle"), "a");  // what was shown stays
  EXPECT_EQ(st->history.entries.size(), 1u);
}

}  // namespace
}  // namespace sorami::test
