// Which message a click in the message list shows.
#include <gtest/gtest.h>

#include <QLabel>

#include "gui/BrowseFixture.h"

namespace sorami::test {
namespace {

class ListClickTest : public BrowseFixture {};

TEST_F(ListClickTest, AClickIntoAMultipleSelectionShowsTheClickedRow) {
  for (const char* t : {"a", "b", "c"}) Add({.title = t, .read_date = "x"});
  ClickNode(1);
  auto* title = Find<QLabel>(main, "LabelTitle");
  ClickRow(0);
  ClickRow(2, Qt::ShiftModifier);
  EXPECT_EQ(title->text(), QStringLiteral("c"));
  ClickRow(1, Qt::ControlModifier);  // a row of the selection, clicked out of it
  EXPECT_EQ(title->text(), QStringLiteral("b"));
  ClickRow(1, Qt::ControlModifier);  // and into it again
  EXPECT_EQ(title->text(), QStringLiteral("b"));
}

}  // namespace
}  // namespace sorami::test
