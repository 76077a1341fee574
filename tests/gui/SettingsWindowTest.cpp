// The settings window: the account page (register, change, delete, a clicked row made current,
// the mask rule), OK and cancel, the System page and the debug switch, the account log page.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "base/ui/QtText.h"
#include "gui/GuiFixture.h"
#include "settings/ui/TFormSettei.h"
#include "site/FakeHttp.h"

namespace sorami::test {
namespace {

const QString kMask = QStringLiteral("＊＊＊＊＊");

std::vector<QString> RowTexts(QTreeWidget* list, int row) {
  std::vector<QString> texts;
  QTreeWidgetItem* item = list->topLevelItem(row);
  if (item == nullptr) return texts;
  for (int c = 0; c < list->columnCount(); ++c) texts.push_back(item->text(c));
  return texts;
}

std::vector<QString> Q(std::initializer_list<const char*> utf8) {
  std::vector<QString> out;
  for (const char* s : utf8) out.push_back(QString::fromUtf8(s));
  return out;
}

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
  FakeHttp* FakeNetwork() {
    auto fake = std::make_unique<FakeHttp>();
    FakeHttp* f = fake.get();
    st->site.http = std::move(fake);
    return f;
  }
  static void AnswerCheck(FakeHttp* http, const std::string& host, const std::string& user) {
    http->Answer("x\tOK(PGM)\r\nTOHOST=" + host + "\tTOUSER=" + user);
    http->Answer("x\tOK(PGM)" + J("確認ＯＫ"));
  }
  // A mouse click on a row of the list, as the user makes it.
  void ClickRow(int row) {
    settei->show();
    const QRect r = list->visualItemRect(list->topLevelItem(row));
    ASSERT_TRUE(r.isValid()) << row;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
  }
  QLabel* Label(const char* name) { return Find<QLabel>(settei, name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(settei, name); }

  TFormSettei* settei = nullptr;
  QTreeWidget* list = nullptr;
  QLineEdit* kairo = nullptr;
  QLineEdit* account = nullptr;
  QLineEdit* password = nullptr;
};

TEST_F(SettingsWindowTest, RegisterAfterACheckChangeAClickedRowAndDeleteByTheRememberedIndex) {
  StartSettings();
  FakeHttp* http = FakeNetwork();
  auto* touroku = Button("BtTouroku");
  auto* yuukou = Find<QCheckBox>(settei, "CkYuukou");

  // A failed check leaves registering off and says why.
  kairo->setText(QStringLiteral("広場"));
  account->setText(QStringLiteral("はなこ"));
  password->setText(QStringLiteral("pw1"));
  http->Answer("x\tOK(PGM)\r\nTOHOST=h:1");
  Button("BtKakunin")->click();
  EXPECT_EQ(settei->StatusText(), QStringLiteral("接続エラー"));
  EXPECT_FALSE(touroku->isEnabled());
  EXPECT_FALSE(std::filesystem::exists(ListFile()));

  // Three accounts, each checked and then registered.
  const char* accounts[][4] = {{"広場", "はなこ", "pw1", "h:1"},
                               {"別館", "たろう", "pw2", "h:2"},
                               {"広場", "じろう", "pw3", "h:1"}};
  for (const auto& a : accounts) {
    kairo->setText(QString::fromUtf8(a[0]));
    account->setText(QString::fromUtf8(a[1]));
    password->setText(QString::fromUtf8(a[2]));
    AnswerCheck(http, a[3], "sys");
    Button("BtKakunin")->click();
    EXPECT_EQ(settei->StatusText(), QStringLiteral("確認ＯＫ"));
    EXPECT_EQ(Label("LabelHost")->text(), QString::fromUtf8(a[3]));
    ASSERT_TRUE(touroku->isEnabled());
    yuukou->setChecked(a[1] != std::string("たろう"));
    touroku->click();
  }
  EXPECT_TRUE(std::filesystem::exists(ListFile()));  // saved by the successful check
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(RowTexts(list, 0), Q({"広場", "はなこ", "pw1", "", "h:1", "sys", "on", ""}));
  EXPECT_EQ(RowTexts(list, 1), Q({"別館", "たろう", "pw2", "", "h:2", "sys", " ", ""}));

  // An edit has to be checked again before it can be registered.
  account->setText(QStringLiteral("さぶろう"));
  EXPECT_FALSE(touroku->isEnabled());

  // "変更" writes the boxes over the clicked row only.
  ClickRow(1);
  EXPECT_EQ(account->text(), QStringLiteral("たろう"));
  password->setText(QStringLiteral("new2"));
  yuukou->setChecked(true);
  Button("Button6")->click();
  EXPECT_EQ(RowTexts(list, 1), Q({"別館", "たろう", "new2", "", "h:2", "sys", "on", ""}));
  EXPECT_EQ(RowTexts(list, 0)[2], QStringLiteral("pw1"));
  EXPECT_EQ(list->topLevelItemCount(), 3);

  // "削除" twice: the second press deletes the row that moved into the remembered place.
  ClickRow(0);
  Button("Button7")->click();
  EXPECT_EQ(RowTexts(list, 0)[1], QStringLiteral("たろう"));
  Button("Button7")->click();
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(RowTexts(list, 0)[1], QStringLiteral("じろう"));
}

TEST_F(SettingsWindowTest, AClickedRowBecomesTheCurrentAccountInBothWindows) {
  PresetList(
      "広場\tはなこ\tpw1\t\th:1\thiroba\ton\t\r\n"
      "別館\tたろう\tpw2\t2024/05/06 07:08:09\th:2\tbekkan\t \tDYN$bekkan\r\n");
  StartSettings();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  // A row read back without its trailing empty field is shown all the same.
  EXPECT_EQ(RowTexts(list, 0), Q({"広場", "はなこ", "pw1", "", "h:1", "hiroba", "on", ""}));

  ClickRow(1);
  EXPECT_EQ(st->settei.clicked_row, 1);
  EXPECT_EQ(kairo->text(), QStringLiteral("別館"));
  EXPECT_EQ(account->text(), QStringLiteral("たろう"));
  EXPECT_EQ(password->text(), QStringLiteral("pw2"));
  EXPECT_EQ(Label("LabelHost")->text(), QStringLiteral("h:2"));
  EXPECT_EQ(Label("LabelDynamic")->text(), QStringLiteral("DYN$bekkan"));
  EXPECT_EQ(Label("LabelJikoku")->text(), QStringLiteral("2024/05/06 07:08:09"));
  EXPECT_FALSE(Find<QCheckBox>(settei, "CkYuukou")->isChecked());
  EXPECT_EQ(list->columnWidth(2), 1);  // the password column is kept out of sight
  EXPECT_EQ(st->cur.site, J("別館"));
  EXPECT_EQ(st->cur.pass, "pw2");
  EXPECT_EQ(st->cur.host, "h:2");
  EXPECT_EQ(st->cur.dyn, "");  // the key is shown, and made current by the next start
  EXPECT_EQ(Find<QLineEdit>(main, "EdSiteName")->text(), QStringLiteral("別館"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("たろう"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), kMask);

  // A key released on the list shows the row it moved to.
  list->setFocus();
  Key(list, Qt::Key_Up);
  EXPECT_EQ(st->settei.clicked_row, 0);
  EXPECT_EQ(account->text(), QStringLiteral("はなこ"));
  EXPECT_TRUE(Find<QCheckBox>(settei, "CkYuukou")->isChecked());
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("はなこ"));

  // Edits make the shown account current at once; the mask is never a password.
  account->setText(QStringLiteral("はなこ2"));
  password->setText(QStringLiteral("secret"));
  password->setText(kMask);
  EXPECT_EQ(Cp932ToUtf8(st->cur.account), "はなこ2");
  EXPECT_EQ(st->cur.pass, "secret");
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), kMask);
}

TEST_F(SettingsWindowTest, OkSavesTheListAndTheValuesCancelSavesNothingTheNextStartRestores) {
  const std::string rows =
      "広場\tはなこ\tpw1\t\th:1\thiroba\ton\t\r\n"
      "別館\tたろう\tpw2\t\th:2\tbekkan\ton\tDYN$bekkan\r\n";
  PresetList(rows);
  StartSettings();
  ClickRow(1);
  password->setText(QStringLiteral("pw2"));
  Find<QLineEdit>(settei, "EditServer")->setText(QStringLiteral("dir.example:81"));
  Find<QCheckBox>(settei, "CkAngouka")->setChecked(false);
  settei->move(33, 44);
  settei->resize(600, 500);
  Button("Button1")->click();
  EXPECT_FALSE(settei->isVisible());

  // Row for row; a row read without its trailing empty field is written without it.
  EXPECT_EQ(ReadFileBytes(ListFile()), J("広場\tはなこ\tpw1\t\th:1\thiroba\ton\r\n"
                                         "別館\tたろう\tpw2\t\th:2\tbekkan\ton\tDYN$bekkan\r\n"));
  const IniStore ini = Stored(kCommonKey);
  EXPECT_EQ(ini.ReadString("Setting", "fmKairoSettei.EdAccount", ""), J("たろう"));
  EXPECT_EQ(ini.ReadString("Setting", "fmKairoSettei.LbDyn", ""), "DYN$bekkan");
  EXPECT_EQ(ini.ReadInteger("Window", "fmKairoSettei.Left", 0), 33);
  EXPECT_EQ(ini.ReadInteger("Window", "fmKairoSettei.Height", 0), 500);

  // Cancel hides the window and saves nothing.
  const std::string saved = ReadFileBytes(ListFile());
  ClickRow(0);
  Button("Button7")->click();
  kairo->setText(QStringLiteral("別の名前"));
  Button("Button2")->click();
  EXPECT_FALSE(settei->isVisible());
  EXPECT_EQ(ReadFileBytes(ListFile()), saved);
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKairoSettei.EdKairo", ""), J("別館"));

  EndRun();
  Start();
  settei = windows->settei.get();
  EXPECT_EQ(Find<QLineEdit>(settei, "EditAccount")->text(), QStringLiteral("たろう"));
  EXPECT_EQ(Find<QLineEdit>(settei, "EditServer")->text(), QStringLiteral("dir.example:81"));
  EXPECT_FALSE(Find<QCheckBox>(settei, "CkAngouka")->isChecked());
  EXPECT_FALSE(st->master.encrypt);
  EXPECT_EQ(Find<QTreeWidget>(settei, "ListU")->topLevelItemCount(), 2);
  EXPECT_EQ(settei->pos(), QPoint(33, 44));
  const CurrentAccount& c = st->cur;
  EXPECT_EQ(
      std::vector<std::string>({c.site, c.account, c.pass, c.host, c.user, c.dyn}),
      std::vector<std::string>({J("別館"), J("たろう"), "pw2", "h:2", "bekkan", "DYN$bekkan"}));
}

TEST_F(SettingsWindowTest, TheSystemAndHttpPagesShowOnlyWhileTheDebugSwitchIsArmed) {
  StartSettings();  // a first start leaves the debug menus visible: the switch is armed
  auto* pages = Find<QTabWidget>(settei, "PageControl1");
  const int system = pages->indexOf(Find<QWidget>(settei, "TabSystem"));
  const int http = pages->indexOf(Find<QWidget>(settei, "TabHTTP"));
  auto shown = [&] {
    settei->hide();
    settei->show();
    return std::make_pair(pages->isTabVisible(system), pages->isTabVisible(http));
  };
  EXPECT_EQ(shown(), std::make_pair(true, true));
  QLineEdit* site = Find<QLineEdit>(main, "EdSiteName");
  Key(site, Qt::Key_A);  // any other key disarms the switch
  EXPECT_EQ(shown(), std::make_pair(false, false));
  Key(site, Qt::Key_F11);
  EXPECT_EQ(shown(), std::make_pair(true, true));
}

TEST_F(SettingsWindowTest, TheSystemPageResetsTheHostAndShowsTheCurrentAccount) {
  PresetList("広場\tはなこ\tpw1\t\th:1\thiroba\ton\t\r\n");
  StartSettings();
  ClickRow(0);
  Find<QCheckBox>(settei, "CkAngouka")->setChecked(false);
  EXPECT_FALSE(st->master.encrypt);

  Button("BtReset")->click();
  EXPECT_EQ(Label("LabelHost")->text(), QString());
  EXPECT_EQ(Label("LabelSysUser")->text(), QString());
  EXPECT_EQ(st->settei.v.lb_host, "");

  QString shown;
  QTimer::singleShot(0, settei, [&] {
    auto* box = settei->findChild<QMessageBox*>(QStringLiteral("CurInfo"));
    EXPECT_NE(box, nullptr);
    if (box != nullptr) shown = box->text();
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  Button("Button3")->click();
  EXPECT_EQ(shown, QStringLiteral("curSite :広場\ncurHost :h:1\ncurUser :hiroba\ncurPass :pw1\n"
                                  "curID   :はなこ"));
}

TEST_F(SettingsWindowTest, TheAccountLogPageFollowsTheLogAndItsButtonClearsIt) {
  StartSettings();
  auto* memo = Find<QPlainTextEdit>(settei, "MemoAcLog");
  // Fixed pitch, a full-width character two columns wide: the padded columns line up.
  const QFontMetrics m(memo->font());
  EXPECT_EQ(m.horizontalAdvance('i'), m.horizontalAdvance('W'));
  EXPECT_EQ(m.horizontalAdvance(QStringLiteral("受")), 2 * m.horizontalAdvance('W'));
  st->aclog.AddLogText(J("接続エラー"));
  st->aclog.AddLogLine("GET ", "nick", "site", "host", "user", "msg");
  const QStringList lines = memo->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" 接続エラー"))) << lines[0].toStdString();
  EXPECT_EQ(lines[1], Qs(st->aclog.lines()[1]));
  Button("Button4")->click();
  EXPECT_EQ(memo->toPlainText(), QString());
  EXPECT_TRUE(st->aclog.lines().empty());
}

}  // namespace
}  // namespace sorami::test
