// The main window as a frame: the start and the end of a run, its persisted controls, the
// polling timer's controls, the debug switch and the debug menu's store commands.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "gui/GuiFixture.h"
#include "store/Folders.h"

namespace sorami::test {
namespace {

// A master file line: "%4.4d" of the number, then columns 2..23 after a TAB each.
std::string MasterLine(int number, const std::string& title, const std::string& folder) {
  char head[8];
  std::snprintf(head, sizeof head, "%04d", number);
  std::string line = head;
  for (int col = 2; col <= 23; ++col) {
    line += '\t';
    if (col == 3) line += title;
    if (col == 5) line += "2024/01/0" + std::to_string(number) + " 10:00:00";
    if (col == 7) line += "sender";
    if (col == 13) line += folder;
  }
  return line + "\r\n";
}

using MainWindowTest = GuiFixture;

TEST_F(MainWindowTest, ShowingReadsTheStoreListsTheRootThenTheInboxOnceOnly) {
  PresetMaster(MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("既読")));
  Start();
  // Nothing of the windows' creation is kept: the log starts with the read of the store.
  ASSERT_EQ(st->log.lines(), std::vector<std::string>{"MemoLog"});
  main->show();

  EXPECT_EQ(st->store.CtMaster(), 2);
  const std::string log = LogText();
  const size_t read = log.find("読込完了 :2 件");
  const size_t root = log.find("MessageListHyouji 0 ");
  const size_t count = log.find(".CountKensuu");
  const size_t inbox = log.find("MessageListHyouji 1 受信箱");
  ASSERT_NE(inbox, std::string::npos) << log;
  EXPECT_LT(read, root);
  EXPECT_LT(root, count);
  EXPECT_LT(count, inbox);
  EXPECT_EQ(log.find(".CountKensuu", count + 1), std::string::npos);
  EXPECT_EQ(Find<QTreeWidget>(main, "TreeV")->currentItem()->text(0),
            QStringLiteral("受信箱(未読)"));
  EXPECT_EQ(Find<QTreeView>(main, "LViewData")->model()->rowCount(), 1);
  EXPECT_EQ(main->StatusText(), QString());  // the tree click clears the status bar

  // A second showing (after hiding) is not a start: the store is not read again.
  st->store.Append({});
  main->hide();
  main->show();
  EXPECT_EQ(st->store.CtMaster(), 3);
}

TEST_F(MainWindowTest, TheControlsComeBackAtTheNextStartAndTheCurrentAccountIsWritten) {
  Preset(kCommonKey, [](IniStore& i) {
    i.WriteString("Setting", "fmKairo.LabelJikoku", "2024/05/06 07:08:09");
    i.WriteString("Setting", "fmKairo.curSite", J("ソラ"));
    i.WriteString("Setting", "fmKairo.curAccount", "nick");
    i.WriteString("Setting", "fmKairo.LViewWidth", "81;101;102;103;104;41;51;52;99;42;");
    i.WriteInteger("Setting", "fmKairo.PanelList", 150);
  });
  StartAndShow();
  EXPECT_EQ(Find<QLabel>(main, "LabelJikoku")->text(), QStringLiteral("2024/05/06 07:08:09"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdSiteName")->text(), QStringLiteral("ソラ"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("nick"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), QStringLiteral("＊＊＊＊＊"));
  QTreeView* list = Find<QTreeView>(main, "LViewData");
  EXPECT_EQ(list->columnWidth(0), 81);
  EXPECT_EQ(list->columnWidth(8), 1);  // "Index" stays out of sight
  EXPECT_EQ(list->columnWidth(9), 42);

  main->move(12, 34);
  main->resize(640, 480);
  Find<QCheckBox>(main, "CkStop")->setChecked(false);
  Find<QSpinBox>(main, "SpInterval")->setValue(15);
  Find<QCheckBox>(main, "CkNokosu")->setChecked(true);
  Find<QTabWidget>(main, "PageCon")->setCurrentIndex(1);
  list->setColumnWidth(1, 77);
  // The current account is what is written, not the boxes.
  st->cur = {
      .site = J("別サイト"), .account = "acc", .pass = "pw", .host = "h", .user = "u", .dyn = ""};
  Action(main, "X1")->trigger();
  EXPECT_FALSE(main->isVisible());
  const IniStore ini = Stored(kCommonKey);
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.curSite", ""), J("別サイト"));
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.curPass", ""), "pw");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.curHost", ""), "h");

  EndRun();
  StartAndShow();
  EXPECT_EQ(main->pos(), QPoint(12, 34));
  EXPECT_EQ(main->size(), QSize(640, 480));
  EXPECT_FALSE(Find<QCheckBox>(main, "CkStop")->isChecked());
  EXPECT_EQ(Find<QSpinBox>(main, "SpInterval")->value(), 15);
  EXPECT_TRUE(Find<QCheckBox>(main, "CkNokosu")->isChecked());
  EXPECT_TRUE(st->site.leave_on_site);
  EXPECT_EQ(Find<QTabWidget>(main, "PageCon")->currentIndex(), 1);
  EXPECT_EQ(Find<QSplitter>(main, "SplitterRight")->sizes().value(0), 150);
  EXPECT_EQ(Find<QTreeView>(main, "LViewData")->columnWidth(1), 77);
  EXPECT_EQ(Find<QLabel>(main, "LabelJikoku")->text(), QStringLiteral("2024/05/06 07:08:09"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdSiteName")->text(), QStringLiteral("別サイト"));
}

TEST_F(MainWindowTest, ExitSavesTheStoreAndQuitWithoutSavingLeavesTheFileAsItWas) {
  const std::string before = MasterLine(1, "kept", J("受信箱"));
  PresetMaster(before);
  StartAndShow();
  st->store.Append({});  // a change in memory only
  bool ended = false;
  QObject::connect(main, &TFormMain::closed, [&] { ended = true; });
  main->move(70, 80);
  Action(main, "C1")->trigger();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(Stored(kCommonKey).ReadInteger("Window", "fmKairo.Left", 0), 70);
  EXPECT_EQ(ReadFileBytes(MasterDat()), before);
  EXPECT_FALSE(std::filesystem::exists(MasterEnc()));

  EndRun();
  StartAndShow();
  std::array<std::string_view, 25> cols{};
  cols[3] = "new one";
  cols[13] = FolderName(Folder::kInbox);
  st->store.Append(cols);
  Action(main, "X1")->trigger();
  const std::string saved = ReadFileBytes(MasterDat());
  EXPECT_NE(saved.find("kept"), std::string::npos);
  EXPECT_NE(saved.find("0002\t\tnew one"), std::string::npos);
  EXPECT_NE(LogText().find("保存完了 :2 件"), std::string::npos);
}

TEST_F(MainWindowTest, AWindowClosedBeforeItWasShownNeverSavesTheUnreadStore) {
  const std::string before = MasterLine(1, "kept", J("受信箱"));
  PresetMaster(before);
  Start();  // created, never shown: the store was not read
  main->close();
  EXPECT_EQ(ReadFileBytes(MasterDat()), before);
  EXPECT_TRUE(Stored(kCommonKey).Has("Window", "fmKairo.Left"));  // its settings are written
}

TEST_F(MainWindowTest, StopIntervalAndTheButtonDriveThePollingTimer) {
  Preset(kCommonKey, [](IniStore& i) {
    i.WriteBool("Setting", "fmKairo.CkStop", false);
    i.WriteInteger("Setting", "fmKairo.SpInterval", 5);
  });
  Start();
  QTimer* timer = Find<QTimer>(main, "Timer1");
  EXPECT_FALSE(timer->isActive());  // nothing is fetched while the window is created
  main->show();
  EXPECT_EQ(fetches, 1);  // shown: one fetch at once, then armed for five minutes
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 5 * 60 * 1000);

  auto* stop = Find<QCheckBox>(main, "CkStop");
  auto* interval = Find<QSpinBox>(main, "SpInterval");
  stop->setChecked(true);
  EXPECT_FALSE(timer->isActive());
  interval->setValue(2);
  stop->setChecked(false);  // unchecking fetches at once and arms
  EXPECT_EQ(fetches, 2);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 2 * 60 * 1000);
  interval->setValue(0);  // an armed timer with interval 0 never comes due
  EXPECT_FALSE(timer->isActive());
  Find<QPushButton>(main, "BtGet")->click();  // the button still fetches
  EXPECT_EQ(fetches, 3);
}

TEST_F(MainWindowTest, DebugKeysInTheSiteNameBoxToggleTheDebugMenusAndTheChoiceIsKept) {
  StartAndShow();  // a first start leaves the debug menus visible: the switch is armed
  QLineEdit* site = Find<QLineEdit>(main, "EdSiteName");
  Key(site, Qt::Key_F12);
  EXPECT_FALSE(Action(main, "B1")->isVisible());
  EXPECT_FALSE(Action(main, "MenuHenkan")->isVisible());
  Key(site, Qt::Key_A);  // any other key disarms
  Key(site, Qt::Key_F12);
  EXPECT_FALSE(Action(main, "B1")->isVisible());
  st->cur.pass = "the-pass";
  Key(site, Qt::Key_F11);
  Key(site, Qt::Key_F12);
  EXPECT_TRUE(Action(main, "B1")->isVisible());
  EXPECT_TRUE(Action(main, "MenuHenkan")->isVisible());
  EXPECT_EQ(main->StatusText(), QStringLiteral("the-pass"));
  Key(site, Qt::Key_F12);  // still armed: hides them again
  main->close();
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKairo.Debug", ""), "0");

  EndRun();
  StartAndShow();
  EXPECT_FALSE(Action(main, "B1")->isVisible());
  Key(Find<QLineEdit>(main, "EdSiteName"), Qt::Key_F12);  // left hidden: not armed
  EXPECT_FALSE(Action(main, "B1")->isVisible());
}

TEST_F(MainWindowTest, DebugMenuStoreCommandsReportInTheStatusBar) {
  PresetMaster(MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("削除済み")) +
               MasterLine(3, "c", J("重要")));
  StartAndShow();
  ASSERT_EQ(st->store.CtMaster(), 2);

  Action(main, "S2")->trigger();
  EXPECT_EQ(main->StatusText(), QStringLiteral("保存完了 :2 件"));
  st->store.Append({});
  Action(main, "MasterReadR1")->trigger();  // reads what was saved, dropping the change
  EXPECT_EQ(main->StatusText(), QStringLiteral("読込完了 :2 件"));
  EXPECT_EQ(st->store.CtMaster(), 2);
  EXPECT_EQ(Find<QTreeWidget>(main, "TreeV")->currentItem()->text(0), QStringLiteral("メッセージ"));

  st->store.glix = 7;
  Action(main, "glixG1")->trigger();
  EXPECT_EQ(main->StatusText(), QStringLiteral("glix:7"));
  Action(main, "MastDispM1")->trigger();
  EXPECT_NE(LogText().find("CtMaster:2"), std::string::npos);

  std::filesystem::remove(MasterDat());
  Action(main, "MasterReadR1")->trigger();
  EXPECT_TRUE(main->StatusText().startsWith(QStringLiteral("Not Found : ")));
  EXPECT_EQ(st->store.CtMaster(), 2);  // a failed read leaves the store as it was
}

TEST_F(MainWindowTest, SaveAsTextFileLeavesAPlainMasterFileEvenWithEncryptionOn) {
  StartAndShow();
  ASSERT_TRUE(st->master.encrypt);
  std::array<std::string_view, 25> cols{};
  cols[3] = "title";
  st->store.Append(cols);
  Action(main, "S5")->trigger();
  EXPECT_EQ(main->StatusText(), QStringLiteral("保存完了 :1 件"));
  EXPECT_TRUE(std::filesystem::exists(MasterDat()));
  EXPECT_FALSE(std::filesystem::exists(MasterEnc()));
  EXPECT_TRUE(st->master.encrypt);

  // The debug save honours the switch: the plain file becomes Master.enc.
  Action(main, "S2")->trigger();
  EXPECT_TRUE(std::filesystem::exists(MasterEnc()));
  EXPECT_FALSE(std::filesystem::exists(MasterDat()));
}

}  // namespace
}  // namespace sorami::test
