// Store operations from the main window: delete, the pop-up folder move, body editing.
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>

#include "gui/BrowseFixture.h"

namespace sorami::test {
namespace {

using BrowseOpsTest = BrowseFixture;

TEST_F(BrowseOpsTest, DeleteKeyMovesTheSelectedRecordsEvenAfterSorting) {
  for (const char* t : {"a", "b", "c", "d"}) Add({.title = t});
  ClickNode(1);
  ClickHeader(ListCol::kTitle);      // d c b a
  ClickRow(1);                       // "c"
  ClickRow(3, Qt::ControlModifier);  // and "a"
  ASSERT_EQ(SelectedTitles(), (Strings{"c", "a"}));
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(Folders(), (Strings{"削除済み", "受信箱", "削除済み", "受信箱"}));
  EXPECT_EQ(Titles(), (Strings{"d", "b"}));
  EXPECT_EQ(Status(), "削除完了 :2 件");
  EXPECT_EQ(CountOf(5), "2 件");

  List()->clearSelection();  // nothing selected: nothing happens
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(Titles(), (Strings{"d", "b"}));
}

TEST_F(BrowseOpsTest, SelectAllThenTheButtonEmptiesTheFolderAndTheWastebasketErases) {
  Add({.title = "a", .body = "text"});
  Add({.title = "b"});
  Add({.title = "kept", .folder = "既読"});
  ClickNode(1);
  auto* sakujo = Find<QPushButton>(main, "BtSakujo");
  ASSERT_FALSE(sakujo->isEnabled());
  Action(main, "A1")->trigger();
  EXPECT_TRUE(sakujo->isEnabled());
  sakujo->click();
  EXPECT_EQ(Status(), "削除完了 :2 件");
  EXPECT_EQ(Titles(), Strings{});
  EXPECT_EQ(Folders(), (Strings{"削除済み", "削除済み", "既読"}));

  // Deleting in the wastebasket erases the record's texts.
  ClickNode(6);
  ClickRow(0);
  sakujo->click();
  EXPECT_EQ(Field(0, MastCol::kTitle), "");
  EXPECT_EQ(Field(0, MastCol::kBody), "");
  EXPECT_EQ(Field(1, MastCol::kTitle), "b");
  EXPECT_EQ(Titles(), Strings{"b"});
}

TEST_F(BrowseOpsTest, MovingTakesOnlyTheLastClickedRowAndTheInboxMakesUnread) {
  Add({.title = "a", .folder = "既読", .read_date = "2026/01/01 00:00:00"});
  Add({.title = "b", .folder = "既読", .read_date = "2026/01/02 00:00:00"});
  ClickNode(2);
  ClickRow(0);
  ClickRow(1, Qt::ControlModifier);  // "b" is now the last clicked row
  // The pop-up opened on "a" acts on "a", whatever else is selected.
  const QPoint on_a = List()->visualRect(List()->model()->index(0, 0)).center();
  QContextMenuEvent menu_event(QContextMenuEvent::Mouse, on_a,
                               List()->viewport()->mapToGlobal(on_a));
  QApplication::sendEvent(List()->viewport(), &menu_event);
  Find<QMenu>(main, "PMenuFolder")->hide();
  Action(main, "PMenuJushin")->trigger();
  EXPECT_EQ(Folders(), (Strings{"受信箱", "既読"}));
  EXPECT_EQ(Field(0, MastCol::kReadDate), "(未読)");
  EXPECT_EQ(Titles(), Strings{"b"});
  EXPECT_EQ(CountOf(0), "1 件");
  ClickRow(0);
  Action(main, "PMenuJuuyou")->trigger();  // another folder keeps the read date
  EXPECT_EQ(Folders(), (Strings{"受信箱", "重要"}));
  EXPECT_EQ(Field(1, MastCol::kReadDate), "2026/01/02 00:00:00");
}

TEST_F(BrowseOpsTest, TheBodyIsStoredOnlyAfterTypingIntoIt) {
  const int32_t a = Add({.title = "a", .read_date = "x", .body = "old a"});
  const int32_t b = Add({.title = "b", .read_date = "x", .body = "old b"});
  ClickNode(1);
  auto* memo = Find<QTextEdit>(main, "MemoRich");
  QAction* store = Action(main, "MenuUPD");
  ClickRow(0);
  Action(main, "E1")->trigger();  // empties the box only
  EXPECT_EQ(memo->toPlainText(), QString());
  store->trigger();  // nothing typed: nothing stored
  EXPECT_EQ(Field(a, MastCol::kBody), "old a");
  EXPECT_EQ(Status(), "");

  QTest::keyClicks(memo, "new");
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, "line");
  ClickHeader(ListCol::kTitle);  // the list order changes; the typed record does not
  store->trigger();
  EXPECT_EQ(Field(a, MastCol::kBody), "new\r\nline");
  EXPECT_EQ(Field(b, MastCol::kBody), "old b");
  EXPECT_EQ(Status(), "本文変更完了");
  EXPECT_EQ(Column(ListCol::kBody)[1], "new line");  // one line in the list
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("new\nline"));

  // The hidden conversion turns "<BR>" into line breaks and stores at once.
  ClickRow(0);  // "b"
  memo->setPlainText(QStringLiteral("one<BR>two"));
  Action(main, "MenuHenkan")->trigger();
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("one\ntwo"));
  EXPECT_EQ(Field(b, MastCol::kBody), "one\r\ntwo");
}

TEST_F(BrowseOpsTest, TypingForOneMessageIsNeverStoredIntoAnother) {
  const int32_t a = Add({.title = "a", .read_date = "x", .body = "text of a"});
  const int32_t b = Add({.title = "b", .read_date = "x", .body = "text of b"});
  ClickNode(1);
  auto* memo = Find<QTextEdit>(main, "MemoRich");
  QAction* store = Action(main, "MenuUPD");
  ClickRow(0);
  QTest::keyClicks(memo, "typed for a");
  ClickRow(1);  // b is shown: what was typed for a is gone with it
  store->trigger();
  EXPECT_EQ(Field(a, MastCol::kBody), "text of a");
  EXPECT_EQ(Field(b, MastCol::kBody), "text of b");

  // Keys that change no text do not count as typing.
  QTest::keyClick(memo, Qt::Key_Down);
  QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
  store->trigger();
  EXPECT_EQ(Field(b, MastCol::kBody), "text of b");
  EXPECT_EQ(Status(), "");
}

}  // namespace
}  // namespace sorami::test
