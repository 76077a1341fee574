// A mail kept as its server sent it shows in the message pane in full Unicode; the list's
// pop-up shows its source and saves it as an ".eml" file.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "gui/BrowseFixture.h"
#include "store/Originals.h"

namespace sorami::test {
namespace {

const std::string kMail =
    "From: =?UTF-8?B?8J+YgA==?= <emoji@example.jp>\r\nTo: hanako@example.jp\r\n"
    "Subject: =?UTF-8?B?8KCut+mHjuWutg==?=\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n"
    "\xe7\xb5\xb5\xe6\x96\x87\xe5\xad\x97\xf0\x9f\x98\x80\xe3\x81\xa8\xf0\xa0\xae\xb7"
    "\xe9\x87\x8e\xe5\xae\xb6 \xed\x95\x9c\xea\xb5\xad \xe2\x91\xa0 \xef\xbd\xb6\r\n";

class OriginalPaneTest : public BrowseFixture {
 protected:
  // A received mail: its record as the store keeps it (code page 932, "〓" for what it lacks)
  // and its original.
  int32_t AddMail() {
    const int32_t row = Add({.title = "〓野家", .body = "絵文字〓と〓野家", .category = "メール"});
    st->store.Set(row, MastCol::kSendDate, "2026/12/01 10:00:00");
    std::string why;
    EXPECT_TRUE(st->originals.Put(Originals::KeyOfRecord(st->store, row), kMail, why)) << why;
    return row;
  }
  QString Label(const char* name) { return Find<QLabel>(main, name)->text(); }
};

TEST_F(OriginalPaneTest, ThePaneShowsTheMailFromItsOriginalWithEveryCharacter) {
  AddMail();
  Add({.title = "site", .body = "site body"});  // a site message has no original
  ClickNode(1);
  ClickRow(0);
  const QString body = Find<QTextEdit>(main, "MemoRich")->toPlainText();
  EXPECT_EQ(body.toStdString(), "絵文字😀と𠮷野家 한국 ① ｶ");
  EXPECT_EQ(Label("LabelTitle").toStdString(), "𠮷野家");
  EXPECT_EQ(Label("LabelFromID").toStdString(), "😀 <emoji@example.jp>");
  // The record's own text is unchanged: lists, search and replies use it.
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(0, MastCol::kTitle)), "〓野家");
  ClickRow(1);
  EXPECT_EQ(Find<QTextEdit>(main, "MemoRich")->toPlainText().toStdString(), "site body");
}

TEST_F(OriginalPaneTest, ThePopUpShowsTheSourceAndSavesTheMailAsEml) {
  AddMail();
  ClickNode(1);
  ClickRow(0);
  Action(main, "MenuSource")->trigger();
  ASSERT_NE(Browser().source_window(), nullptr);
  const auto* source = Find<QPlainTextEdit>(Browser().source_window(), "MemoSource");
  EXPECT_TRUE(source->toPlainText().startsWith("From: =?UTF-8?B?8J+YgA==?="));
  EXPECT_TRUE(source->toPlainText().contains(QStringLiteral("絵文字😀")));

  const std::filesystem::path file = dir_ / "saved.eml";
  ASSERT_TRUE(Browser().SaveMailAs(file));
  EXPECT_EQ(ReadFileBytes(file), kMail);
  EXPECT_EQ(Status(), "保存完了 : " + file.string());
  EXPECT_FALSE(Browser().SaveMailAs(dir_ / "no such folder" / "x.eml"));
}

TEST_F(OriginalPaneTest, ErasingTheMailForGoodRemovesItsOriginal) {
  const int32_t row = AddMail();
  const std::string key = Originals::KeyOfRecord(st->store, row);
  st->store.Set(row, MastCol::kFolder, J("削除済み"));
  ClickNode(6);
  ClickRow(0);
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_FALSE(st->originals.Has(key));
}

}  // namespace
}  // namespace sorami::test
