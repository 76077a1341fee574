// Store operations from the main window: delete, the pop-up folder move, body editing.
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>

#include "gui/BrowseFixture.h"

namespace sorami::test {
namespace {

using BrowseOpsTest = BrowseFixture;

TEST_F(BrowseOpsTest, DeleteKeyMovesTheSelectedRecordsEvenAfterSorting) {
  const int32_t a = Add({.title = "a"});
  const int32_t b = Add({.title = "b"});
  const int32_t c = Add({.title = "c"});
  const int32_t d = Add({.title = "d"});
  Refresh(1);
  ClickHeader(ListCol::kTitle);      // d c b a
  ClickRow(1);                       // "c"
  ClickRow(3, Qt::ControlModifier);  // and "a"
  ASSERT_EQ(SelectedTitles(), (Strings{"c", "a"}));
  QTest::keyClick(List(), Qt::Key_Delete);

  EXPECT_EQ(Folder(a), "削除済み");
  EXPECT_EQ(Folder(c), "削除済み");
  EXPECT_EQ(Folder(b), "受信箱");
  EXPECT_EQ(Folder(d), "受信箱");
  EXPECT_EQ(Titles(), (Strings{"d", "b"}));
  EXPECT_EQ(Status(), "削除完了 :2 件");
  EXPECT_EQ(CountTexts()[0], "受信箱=2 件");
  EXPECT_EQ(CountTexts()[5], "削除済み=2 件");
  EXPECT_EQ(SelectedTitles(), Strings{"b"});  // the row now standing where the first was

  // Nothing selected: nothing happens and the status bar keeps its text.
  List()->clearSelection();
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(Status(), "削除完了 :2 件");
  EXPECT_EQ(Titles(), (Strings{"d", "b"}));
}

TEST_F(BrowseOpsTest, DeletingInTheWastebasketErasesTheRecord) {
  const int32_t r = Add({.title = "doomed", .folder = "削除済み", .body = "text"});
  Refresh(6);
  ClickRow(0);
  Find<QPushButton>(main, "BtSakujo")->click();
  EXPECT_EQ(Folder(r), "削除済み");
  for (MastCol col : {MastCol::kTitle, MastCol::kBody, MastCol::kSender, MastCol::kReadDate}) {
    EXPECT_EQ(st->store.Get(r, col), "") << static_cast<int>(col);
  }
  EXPECT_EQ(Titles(), Strings{});
  ClickNode(6);  // listed again: an item whose texts are empty
  EXPECT_EQ(Titles(), Strings{""});
}

TEST_F(BrowseOpsTest, SelectAllThenDeleteEmptiesTheFolderAtOnce) {
  for (int i = 0; i < 40; ++i) Add({.title = "m" + std::to_string(i)});
  Add({.title = "kept", .folder = "既読"});
  Refresh(1);
  auto* sakujo = Find<QPushButton>(main, "BtSakujo");
  ASSERT_FALSE(sakujo->isEnabled());
  Action(main, "A1")->trigger();
  EXPECT_EQ(Status(), "リスト全選択完了");
  EXPECT_TRUE(sakujo->isEnabled());
  EXPECT_EQ(SelectedTitles().size(), 40u);
  sakujo->click();
  EXPECT_EQ(Status(), "削除完了 :40 件");
  EXPECT_EQ(Titles(), Strings{});
  EXPECT_EQ(CountTexts()[0], "受信箱=0 件");
  EXPECT_EQ(CountTexts()[1], "既読=1 件");
  EXPECT_EQ(CountTexts()[5], "削除済み=40 件");
}

TEST_F(BrowseOpsTest, MovingTakesOnlyTheLastClickedRowAndTheInboxMakesUnread) {
  const int32_t a = Add({.title = "a", .folder = "既読", .read_date = "2026/01/01 00:00:00"});
  const int32_t b = Add({.title = "b", .folder = "既読", .read_date = "2026/01/02 00:00:00"});
  Refresh(2);
  Action(main, "PMenuJuuyou")->trigger();  // nothing clicked in this list yet
  EXPECT_EQ(Titles(), (Strings{"a", "b"}));

  ClickRow(0);
  ClickRow(1, Qt::ControlModifier);  // "b" is now the last clicked row
  // The pop-up opened on "a" acts on "a", whatever else is selected.
  const QPoint on_a = List()->visualRect(List()->model()->index(0, 0)).center();
  QContextMenuEvent menu_event(QContextMenuEvent::Mouse, on_a,
                               List()->viewport()->mapToGlobal(on_a));
  QApplication::sendEvent(List()->viewport(), &menu_event);
  Find<QMenu>(main, "PMenuFolder")->hide();
  EXPECT_EQ(st->store.glix, 0);
  Action(main, "PMenuJushin")->trigger();
  EXPECT_EQ(Folder(a), "受信箱");
  EXPECT_EQ(Field(a, MastCol::kReadDate), "(未読)");
  EXPECT_EQ(Folder(b), "既読");
  EXPECT_EQ(Titles(), Strings{"b"});
  EXPECT_EQ(CountTexts()[0], "受信箱=1 件");
  EXPECT_EQ(CountTexts()[1], "既読=1 件");

  // To the folder it is in: nothing changes, it stays listed.
  ClickRow(0);
  Action(main, "PMenuKidoku")->trigger();
  EXPECT_EQ(Titles(), Strings{"b"});
  EXPECT_EQ(Field(b, MastCol::kReadDate), "2026/01/02 00:00:00");
  Action(main, "PMenuJuuyou")->trigger();
  EXPECT_EQ(Folder(b), "重要");
  EXPECT_EQ(Field(b, MastCol::kReadDate), "2026/01/02 00:00:00");

  // Shown again from the inbox, the message moved back there is read once more.
  ClickNode(1);
  ClickRow(0);
  EXPECT_EQ(Folder(a), "既読");
  EXPECT_NE(Field(a, MastCol::kReadDate), "(未読)");
}

TEST_F(BrowseOpsTest, TheBodyIsStoredOnlyAfterTypingIntoIt) {
  const int32_t a = Add({.title = "a", .read_date = "x", .body = "old a"});
  const int32_t b = Add({.title = "b", .read_date = "x", .body = "old b"});
  Refresh(1);
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
  EXPECT_EQ(Column(ListCol::kBody)[1], "new\r\nline");
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
  Refresh(1);
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
