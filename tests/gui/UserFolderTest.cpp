// User folders: defined on the settings window's page, applied to the tree and the
// "フォルダ変更" menu, and used to file messages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/BrowseFixture.h"
#include "settings/ui/TFormSettei.h"

namespace sorami::test {
namespace {

class UserFolderTest : public BrowseFixture {
 protected:
  QWidget* Page() { return windows->settei->findChild<QWidget*>("TabFolder"); }
  void Type(const QString& name) { Find<QLineEdit>(Page(), "EditFolder")->setText(name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(Page(), name); }
  int NodeCount() { return Tree()->topLevelItem(0)->childCount(); }
};

TEST_F(UserFolderTest, AFolderIsDefinedAppliedAndUsedToFileAMessage) {
  const int32_t r = Add({.title = "to file", .read_date = "x"});
  ClickNode(1);
  Type(QStringLiteral("既読"));
  EXPECT_FALSE(Button("BtTsuika")->isEnabled());  // a system folder
  Type(QStringLiteral("友達"));
  ASSERT_TRUE(Button("BtTsuika")->isEnabled());
  Button("BtTsuika")->click();
  EXPECT_FALSE(Button("BtTsuika")->isEnabled());  // now a user folder
  EXPECT_EQ(Find<QListWidget>(Page(), "CkUserFolder")->count(), 1);

  Button("SpeedButton1")->click();  // "反映する"
  EXPECT_EQ(windows->settei->StatusText(), QStringLiteral("反映完了"));
  EXPECT_EQ(ReadFileBytes(MasterDat().parent_path() / "UserFolder.dat"),
            "0\t" + J("友達") + "\ton\r\n");
  ASSERT_EQ(NodeCount(), 7);
  EXPECT_EQ(Tree()->topLevelItem(0)->child(6)->text(0), QStringLiteral("友達"));
  EXPECT_FALSE(Tree()->topLevelItem(0)->child(6)->icon(0).isNull());  // a folder's icon
  QAction* slot = Action(main, "User11");
  EXPECT_EQ(slot->text(), QStringLiteral("友達"));

  ClickRow(0);
  slot->trigger();
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(r, MastCol::kFolder)), "友達");
  EXPECT_EQ(CountOf(6), "1 件");  // the applied folder has its row in the count list
  ClickNode(7);
  EXPECT_EQ(Titles(), Strings{"to file"});

  // Applying again adds nothing twice; a renamed entry renames its node and slot, and its
  // message moves along.
  Button("SpeedButton1")->click();
  EXPECT_EQ(NodeCount(), 7);
  auto* list = Find<QListWidget>(Page(), "CkUserFolder");
  list->setCurrentRow(0);
  emit list->itemClicked(list->item(0));
  Type(QStringLiteral("親友"));
  Button("BtHenkou")->click();
  Button("SpeedButton1")->click();
  EXPECT_EQ(NodeCount(), 7);
  EXPECT_EQ(Tree()->topLevelItem(0)->child(6)->text(0), QStringLiteral("親友"));
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(r, MastCol::kFolder)), "親友");
  EXPECT_EQ(slot->text(), QStringLiteral("親友"));
  EndRun();
  StartAndShow();
  EXPECT_EQ(NodeCount(), 7);
  EXPECT_TRUE(Action(main, "User11")->isVisible());
}

TEST_F(UserFolderTest, OnlyTheFirstNineFoldersReachTheTreeAndTheMenu) {
  EndRun();
  std::filesystem::create_directories(MasterDat().parent_path());
  std::string file;
  for (int i = 0; i < 10; ++i) file += std::to_string(i) + "\tf" + std::to_string(i) + "\ton\r\n";
  WriteFileBytes(MasterDat().parent_path() / "UserFolder.dat", file);
  StartAndShow();
  EXPECT_EQ(NodeCount(), 6 + 9);
  EXPECT_EQ(Action(main, "User91")->text(), QStringLiteral("f8"));
  EXPECT_EQ(Find<QListWidget>(Page(), "CkUserFolder")->count(), 10);
}

}  // namespace
}  // namespace sorami::test
