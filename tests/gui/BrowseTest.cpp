// The main window as a message browser: tree, list, pane, counts and history.
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

#include "gui/BrowseFixture.h"

namespace sorami::test {
namespace {

using BrowseTest = BrowseFixture;

TEST_F(BrowseTest, TreeNodesListTheirFoldersAndARowShowsItsRecordInThePane) {
  Add({.title = "in"});
  Add({.title = "件名", .folder = "重要", .body = "line1\r\nline2"});
  Add({.title = "mail",
       .folder = "重要",
       .read_date = "2026/01/01 00:00:00",
       .category = "メール"});
  ClickNode(0);
  EXPECT_EQ(Titles(), (Strings{"in", "件名", "mail"}));
  ClickNode(5);
  ASSERT_EQ(Titles(), (Strings{"件名", "mail"}));
  auto* sakujo = Find<QPushButton>(main, "BtSakujo");
  auto* claim = Find<QPushButton>(main, "BtClaim");
  EXPECT_FALSE(sakujo->isEnabled());  // listing leaves nothing to act on

  ClickRow(0);
  EXPECT_EQ(Label("LabelTitle"), "件名");
  EXPECT_EQ(Find<QTextEdit>(main, "MemoRich")->toPlainText(), QStringLiteral("line1\nline2"));
  EXPECT_TRUE(sakujo->isEnabled());
  EXPECT_TRUE(claim->isEnabled());
  // No claim report can be made about a mail.
  ClickRow(1);
  EXPECT_EQ(Label("LabelTitle"), "mail");
  EXPECT_FALSE(claim->isEnabled());
}

TEST_F(BrowseTest, ReadingFromTheInboxMarksReadAndMovesOneCountOtherFoldersDoNot) {
  const int32_t site = Add({.title = "site"});
  const int32_t filed = Add({.title = "filed", .folder = "重要"});
  std::vector<int32_t> receipts;
  Browser().hooks.send_feedback = [&](int32_t row) {
    receipts.push_back(row);
    return std::string("fed back");
  };
  ClickNode(1);
  ASSERT_EQ(CountOf(0), "1 件");

  ClickRow(0);
  EXPECT_EQ(Folder(site), "既読");
  const std::string read_at = Field(site, MastCol::kReadDate);
  EXPECT_NE(read_at, "(未読)");
  EXPECT_EQ(Column(ListCol::kReadDate)[0], read_at);  // the list row shows the new read date
  EXPECT_EQ(CountOf(0), "0 件");
  EXPECT_EQ(CountOf(1), "1 件");
  EXPECT_EQ(receipts, std::vector<int32_t>{site});

  ClickNode(5);
  ClickRow(0);
  EXPECT_EQ(Label("LabelTitle"), "filed");
  EXPECT_EQ(Field(filed, MastCol::kReadDate), "(未読)");
}

TEST_F(BrowseTest, KeysAndBackAndForwardShowMessagesAndTheCountListOpensAFolder) {
  Add({.title = "one"});
  Add({.title = "two"});
  Add({.title = "draft", .folder = "草稿"});
  ClickNode(1);
  auto* back = Find<QPushButton>(main, "BtBack");
  EXPECT_FALSE(back->isEnabled());
  ClickRow(0);
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(Label("LabelTitle"), "two");
  back->click();
  EXPECT_EQ(Label("LabelTitle"), "one");
  Find<QPushButton>(main, "BtForward")->click();
  EXPECT_EQ(Label("LabelTitle"), "two");
  EXPECT_EQ(st->history.entries.size(), 2u);  // moving adds nothing

  Find<QTabWidget>(main, "PageCon")->setCurrentIndex(2);  // the tab "件数"
  ClickView(Counts(), 3);                                 // row k stands for tree node k + 1
  EXPECT_EQ(Tree()->currentItem()->text(0), QStringLiteral("草稿"));
  EXPECT_EQ(Titles(), Strings{"draft"});
  Counts()->setCurrentIndex(Counts()->model()->index(0, 0));
  QTest::keyClick(Counts(), Qt::Key_Down);  // a key in the count list acts as a click
  EXPECT_EQ(Tree()->currentItem()->text(0), QStringLiteral("既読"));
}

}  // namespace
}  // namespace sorami::test
