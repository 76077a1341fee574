// The search window: from the tool bar to the message list.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "gui/BrowseFixture.h"
#include "views/ui/TFormKensaku.h"

namespace sorami::test {
namespace {

class SearchWindowTest : public BrowseFixture {};

TEST_F(SearchWindowTest, TheResultReplacesTheListAndIsUsedLikeAnyListing) {
  Add({.title = "花見の予定", .folder = "既読", .read_date = "x", .body = "公園"});
  Add({.title = "会議", .read_date = "x"});
  Add({.title = "花見の写真", .folder = "削除済み", .read_date = "x"});
  ClickNode(1);
  Find<QPushButton>(main, "ToolButton2")->click();
  TFormKensaku* search = windows->kensaku.get();
  ASSERT_TRUE(search->isVisible());
  Find<QLineEdit>(search, "EditKeyword")->setText(QStringLiteral("花見　公園"));
  Find<QPushButton>(search, "Button1")->click();
  EXPECT_EQ(search->StatusText(), QStringLiteral("検索完了 :1 件"));
  EXPECT_EQ(Titles(), (Strings{"花見の予定"}));

  search->findChildren<QRadioButton*>().at(1)->setChecked(true);  // OR
  Find<QPushButton>(search, "Button1")->click();
  EXPECT_EQ(Titles(), (Strings{"花見の予定", "花見の写真"}));  // the wastebasket too
  ClickRow(1);
  EXPECT_EQ(Find<QLabel>(main, "LabelTitle")->text(), QStringLiteral("花見の写真"));

  // No keyword: the list is left as it is.
  Find<QLineEdit>(search, "EditKeyword")->clear();
  Find<QPushButton>(search, "Button1")->click();
  EXPECT_EQ(search->StatusText(), QStringLiteral("キーワード未指定"));
  EXPECT_EQ(Titles().size(), 2u);
}

}  // namespace
}  // namespace sorami::test
