// The settings window: the account page (register, change, delete, a clicked row made current,
// the mask rule), OK and cancel, the System page's reset, the account log page.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "gui/GuiFixture.h"
#include "support/FakeHttp.h"

namespace sorami::test {
namespace {

const char* const kTwoRows =
    "広場\tはなこ\tpw1\t\th:1\thiroba\ton\r\n"
    "別館\tたろう\tpw2\t\th:2\tbekkan\t \tDYN$bekkan\r\n";

class SettingsWindowTest : public GuiFixture {
 protected:
  // The account list file before the run starts (UTF-8 text, written as code page 932).
  void PresetList(const std::string& utf8) {
    std::filesystem::create_directories(ListFile().parent_path());
    WriteFileBytes(ListFile(), J(utf8));
  }
  std::filesystem::path ListFile() const { return dir_ / "app" / "Data" / "KRList.dat"; }

  void StartSettings() {
    StartAndShow();
    settei = windows->settei.get();
    list = Find<QTreeWidget>(settei, "ListU");
    kairo = Find<QLineEdit>(settei, "EditKairo");
    account = Find<QLineEdit>(settei, "EditAccount");
    password = Find<QLineEdit>(settei, "EditPassword");
  }
  // Scripted answers instead of the network: a host look-up, then the account check.
  static void AnswerCheck(FakeHttp* http, const std::string& host, const std::string& user) {
    http->Answer("x\tOK(PGM)\r\nTOHOST=" + host + "\tTOUSER=" + user);
    http->Answer("x\tOK(PGM)" + J("確認ＯＫ"));
  }
  QLabel* Label(const char* name) { return Find<QLabel>(settei, name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(settei, name); }

  TFormSettei* settei = nullptr;
  QTreeWidget* list = nullptr;
  QLineEdit* kairo = nullptr;
  QLineEdit* account = nullptr;
  QLineEdit* password = nullptr;
};

TEST_F(SettingsWindowTest, RegisterAfterACheckChangeAClickedRowAndDeleteIt) {
  PresetList("広場\tはなこ\tpw1\t\th:1\thiroba\ton\r\n");
  StartSettings();
  FakeHttp* http = UseFakeHttp(*st);
  auto* touroku = Button("BtTouroku");
  kairo->setText(QStringLiteral("別館"));
  account->setText(QStringLiteral("たろう"));
  password->setText(QStringLiteral("pw2"));

  // A failed check leaves registering off and says why.
  http->Answer("x\tOK(PGM)\r\nTOHOST=h:2");
  Button("BtKakunin")->click();
  EXPECT_EQ(settei->StatusText(), QStringLiteral("接続エラー"));
  EXPECT_FALSE(touroku->isEnabled());
  AnswerCheck(http, "h:2", "sys");
  Button("BtKakunin")->click();
  EXPECT_EQ(settei->StatusText(), QStringLiteral("確認ＯＫ"));
  EXPECT_EQ(Label("LabelHost")->text(), QStringLiteral("h:2"));
  ASSERT_TRUE(touroku->isEnabled());
  Find<QCheckBox>(settei, "CkYuukou")->setChecked(true);
  touroku->click();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("たろう"));
  EXPECT_EQ(list->topLevelItem(1)->text(6), QStringLiteral("on"));
  account->setText(QStringLiteral("さぶろう"));
  EXPECT_FALSE(touroku->isEnabled());  // an edit has to be checked again

  // "変更" writes the boxes over the clicked row only; "削除" takes the clicked row.
  ClickAccountRow(1);
  password->setText(QStringLiteral("new2"));
  Button("Button6")->click();
  EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("new2"));
  EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("pw1"));
  ClickAccountRow(0);
  Button("Button7")->click();
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("たろう"));
}

TEST_F(SettingsWindowTest, AClickedRowBecomesTheSiteAccountInBothWindows) {
  PresetList(kTwoRows);
  StartSettings();
  ASSERT_EQ(list->topLevelItemCount(), 2);

  ClickAccountRow(1);
  EXPECT_EQ(account->text(), QStringLiteral("たろう"));
  EXPECT_EQ(Label("LabelHost")->text(), QStringLiteral("h:2"));
  EXPECT_FALSE(Find<QCheckBox>(settei, "CkYuukou")->isChecked());
  EXPECT_EQ(st->cur.site, J("別館"));
  EXPECT_EQ(st->cur.password, "pw2");
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("たろう"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), kMask);

  // A key released on the list shows the row it moved to.
  list->setFocus();
  Key(list, Qt::Key_Up);
  EXPECT_EQ(account->text(), QStringLiteral("はなこ"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("はなこ"));

  // Edits make the shown account current at once; the mask is never a password.
  password->setText(QStringLiteral("secret"));
  password->setText(kMask);
  EXPECT_EQ(st->cur.password, "secret");

  // The System page's reset forgets the host.
  Button("BtReset")->click();
  EXPECT_EQ(Label("LabelHost")->text(), QString());
  EXPECT_EQ(st->settei.v.host, "");
}

TEST_F(SettingsWindowTest, OkSavesTheListAndTheValuesCancelSavesNothingTheNextStartRestores) {
  PresetList(kTwoRows);
  StartSettings();
  ClickAccountRow(1);
  password->setText(QStringLiteral("new2"));
  Button("Button6")->click();
  Find<QLineEdit>(settei, "EditServer")->setText(QStringLiteral("dir.example:81"));
  Button("Button1")->click();
  EXPECT_FALSE(settei->isVisible());
  const std::string saved = ReadFileBytes(ListFile());
  EXPECT_NE(saved.find(J("たろう\tnew2\t")), std::string::npos);

  // Cancel hides the window and saves nothing.
  ClickAccountRow(0);
  Button("Button7")->click();
  Find<QLineEdit>(settei, "EditServer")->setText(QStringLiteral("other:1"));
  Button("Button2")->click();
  EXPECT_FALSE(settei->isVisible());
  EXPECT_EQ(ReadFileBytes(ListFile()), saved);

  EndRun();
  StartSettings();
  EXPECT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(Find<QLineEdit>(settei, "EditServer")->text(), QStringLiteral("dir.example:81"));
}

TEST_F(SettingsWindowTest, TheAccountLogPageFollowsTheLogAndItsButtonClearsIt) {
  StartSettings();
  auto* memo = Find<QPlainTextEdit>(settei, "MemoAcLog");
  st->aclog.AddLogText(J("接続エラー"));
  EXPECT_TRUE(memo->toPlainText().endsWith(QStringLiteral(" 接続エラー")));
  Button("Button4")->click();
  EXPECT_EQ(memo->toPlainText(), QString());
  EXPECT_TRUE(st->aclog.lines().empty());
}

}  // namespace
}  // namespace sorami::test
