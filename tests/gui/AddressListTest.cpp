// The address list: read when the main window is first shown, edited in its window, picked
// from, and written when the main window closes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "compose/ui/TFormSendList.h"
#include "gui/GuiFixture.h"

namespace sorami::test {
namespace {

class AddressListTest : public GuiFixture {
 protected:
  std::filesystem::path File() { return dir_ / "app" / "Data" / "SendList.dat"; }
};

TEST_F(AddressListTest, EntriesAreEditedPickedAndWrittenAtTheClose) {
  PresetMaster("");
  WriteFileBytes(File(), J("はなこ\thanako%S\t家族\r\n"));
  StartAndShow();
  TFormSendList* w = windows->send_list.get();
  auto* list = Find<QTreeWidget>(w, "LView");
  ASSERT_EQ(list->topLevelItemCount(), 1);

  list->setCurrentItem(list->topLevelItem(0));  // the row fills the edit panel
  EXPECT_EQ(Find<QLineEdit>(w, "EditAtesaki")->text(), QStringLiteral("hanako%S"));
  EXPECT_EQ(Find<QComboBox>(w, "ComboKankei")->currentText(), QStringLiteral("家族"));
  Find<QLineEdit>(w, "EditName")->setText(QStringLiteral("たろう"));
  Find<QLineEdit>(w, "EditAtesaki")->setText(QStringLiteral("taro"));
  Find<QPushButton>(w, "Button2")->click();  // 新規登録
  ASSERT_EQ(st->send_list.size(), 2u);
  EXPECT_EQ(st->send_list[1].address, "taro");

  // "追加選択(&A)" hands the address and the relation's position to the compose window.
  QString picked;
  int relation = -1;
  w->hooks.add_pick = [&](const QString& a, int r) {
    picked = a;
    relation = r;
  };
  Action(w, "A1")->trigger();
  EXPECT_EQ(picked, QStringLiteral("taro"));
  EXPECT_EQ(relation, 1);  // 家族
  bool ok = false;
  QObject::connect(w, &TFormSendList::picked, [&](bool b) { ok = b; });
  w->ShowForPick();
  EXPECT_FALSE(Find<QWidget>(w, "PanelEdit")->isVisible());
  Action(w, "Close1")->trigger();  // 上書選択
  EXPECT_TRUE(ok);
  EXPECT_FALSE(w->isVisible());

  list->setCurrentItem(list->topLevelItem(0));
  Find<QPushButton>(w, "Button3")->click();  // 削除
  main->close();
  EXPECT_EQ(ReadFileBytes(File()), J("たろう\ttaro\t家族\r\n"));
}

}  // namespace
}  // namespace sorami::test
