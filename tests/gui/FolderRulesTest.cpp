// Folder rules of the main window: a copy written here, opened from the root "メッセージ",
// stays as it is; user folders never take a system folder's name, and a renamed one keeps its
// messages (node, count and list follow, after a restart too).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/BrowseFixture.h"
#include "settings/ui/TFormSettei.h"

namespace sorami::test {
namespace {

class FolderRules : public BrowseFixture {
 protected:
  QWidget* Page() { return windows->settei->findChild<QWidget*>("TabFolder"); }
  void Type(const QString& name) { Find<QLineEdit>(Page(), "EditFolder")->setText(name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(Page(), name); }
  QString UserNode() { return Tree()->topLevelItem(0)->child(6)->text(0); }
};

TEST_F(FolderRules, FromTheRootASentCopyStaysWaitingAndAReceivedMessageIsRead) {
  const int32_t sent = Add({.title = "sent", .folder = "送信箱"});
  const int32_t filed = Add({.title = "filed copy", .folder = "重要"});
  const int32_t got = Add({.title = "got"});
  st->store.Set(got, MastCol::kSenderHost, "h:1");  // a received message names its sender's host
  std::vector<int32_t> receipts;
  Browser().hooks.send_feedback = [&](int32_t row) {
    receipts.push_back(row);
    return std::string("fed back");
  };
  ClickNode(0);
  ASSERT_EQ(Titles(), (Strings{"sent", "filed copy", "got"}));
  ClickRow(0);
  ClickRow(1);
  EXPECT_EQ(Label("LabelTitle"), "filed copy");
  ClickRow(2);
  EXPECT_EQ(Field(sent, MastCol::kReadDate), "(未読)");
  EXPECT_EQ(Folder(sent), "送信箱");
  EXPECT_EQ(Field(filed, MastCol::kReadDate), "(未読)");
  EXPECT_EQ(Folder(filed), "重要");
  EXPECT_EQ(Folder(got), "既読");
  EXPECT_EQ(receipts, std::vector<int32_t>{got});
}

TEST_F(FolderRules, SystemNamesAreRefusedWithATextAndARenamedFolderKeepsItsMessages) {
  for (const QString& name : {QStringLiteral("受信箱"), QStringLiteral("メッセージ"),
                              QStringLiteral("削除済み"), QStringLiteral("受信箱(未読)")}) {
    Type(name);
    EXPECT_FALSE(Button("BtTsuika")->isEnabled());
    EXPECT_EQ(windows->settei->StatusText(),
              QStringLiteral("システムフォルダの名称は使えません : ") + name);
  }
  Type(QStringLiteral("仕事"));
  Button("BtTsuika")->click();
  Button("SpeedButton1")->click();
  Add({.title = "a", .folder = "仕事", .read_date = "x"});
  Add({.title = "b", .folder = "仕事", .read_date = "x"});

  auto* list = Find<QListWidget>(Page(), "CkUserFolder");
  list->setCurrentRow(0);
  emit list->itemClicked(list->item(0));
  Type(QStringLiteral("受信箱"));
  EXPECT_FALSE(Button("BtHenkou")->isEnabled());
  Type(QStringLiteral("案件"));
  Button("BtHenkou")->click();
  Button("SpeedButton1")->click();
  EXPECT_EQ(Tree()->topLevelItem(0)->childCount(), 7);
  EXPECT_EQ(UserNode(), QStringLiteral("案件"));
  EXPECT_EQ(Action(main, "User11")->text(), QStringLiteral("案件"));
  EXPECT_EQ(Folders(), (Strings{"案件", "案件"}));
  EXPECT_EQ(CountOf(6), "2 件");
  ClickNode(7);
  EXPECT_EQ(Titles(), (Strings{"a", "b"}));

  EndRun();
  StartAndShow();
  EXPECT_EQ(UserNode(), QStringLiteral("案件"));
  ClickNode(7);
  EXPECT_EQ(Titles(), (Strings{"a", "b"}));
}

}  // namespace
}  // namespace sorami::test
