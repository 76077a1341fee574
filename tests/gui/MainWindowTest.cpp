#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "gui/GuiFixture.h"
#include "shell/MainSettings.h"
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

std::vector<int> ColumnWidths(QTreeView* list) {
  std::vector<int> w;
  for (int c = 0; c < kListColumns; ++c) w.push_back(list->columnWidth(c));
  return w;
}

std::vector<std::string> NodeTexts(QTreeWidget* tree) {
  std::vector<std::string> texts;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) texts.push_back((*it)->text(0).toStdString());
  return texts;
}

using MainWindowTest = GuiFixture;

TEST_F(MainWindowTest, FirstStartWithAnEmptyRegistry) {
  StartAndShow();
  EXPECT_EQ(main->pos(), QPoint(45, 48));
  EXPECT_EQ(main->size(), QSize(827, 561));
  EXPECT_EQ(main->windowTitle(), QStringLiteral("ソラミメッセージ for Windows  (Ver 1.105)"));
  EXPECT_TRUE(Find<QCheckBox>(main, "CkStop")->isChecked());
  EXPECT_EQ(Find<QSpinBox>(main, "SpInterval")->value(), 0);
  EXPECT_FALSE(Find<QCheckBox>(main, "CkNokosu")->isChecked());
  EXPECT_EQ(fetches, 0);
  EXPECT_FALSE(Find<QTimer>(main, "Timer1")->isActive());
  EXPECT_TRUE(Action(main, "B1")->isVisible());
  EXPECT_TRUE(Action(main, "MenuHenkan")->isVisible());
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), QStringLiteral("＊＊＊＊＊"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdSiteName")->text(), QString());
  EXPECT_EQ(Find<QTabWidget>(main, "PageCon")->currentIndex(), 0);
  EXPECT_EQ(Find<QSplitter>(main, "SplitterRight")->sizes().value(0), 180);
  EXPECT_EQ(Find<QSplitter>(main, "SplitterLeft")->sizes().value(0), 136);

  QTreeWidget* tree = Find<QTreeWidget>(main, "TreeV");
  EXPECT_EQ(NodeTexts(tree), (std::vector<std::string>{"メッセージ", "受信箱(未読)", "既読",
                                                       "送信箱", "草稿", "重要", "削除済み"}));
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("受信箱(未読)"));
  EXPECT_EQ(tree->selectedItems().size(), 1);

  QTreeView* list = Find<QTreeView>(main, "LViewData");
  const auto* model = list->model();
  QStringList captions;
  for (int c = 0; c < model->columnCount(); ++c)
    captions << model->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(captions.join(','),
            QStringLiteral("送信者,表題,送信日,確認日,本文,送信先,関係,種別,Index,Folder"));
  EXPECT_EQ(ColumnWidths(list), (std::vector<int>{80, 100, 100, 100, 100, 40, 50, 50, 1, 40}));

  // The message pane is shown, the help pane hidden; nothing to go back or forward to.
  EXPECT_TRUE(Find<QWidget>(main, "PanelHonbun")->isVisible());
  EXPECT_FALSE(Find<QWidget>(main, "PanelHelp")->isVisible());
  EXPECT_FALSE(Find<QPushButton>(main, "BtBack")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(main, "BtForward")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(main, "BtSakujo")->isEnabled());
  EXPECT_FALSE(Find<QWidget>(main, "BtTenpu")->isVisible());

  // The log starts with the read of the store: nothing of the main window's creation.
  ASSERT_GE(st->log.lines().size(), 3u);
  EXPECT_EQ(st->log.lines()[0], "MemoLog");
  EXPECT_NE(st->log.lines()[1].find("ReadMaster"), std::string::npos);
  EXPECT_NE(LogText().find("Not Found : "), std::string::npos);
}

TEST_F(MainWindowTest, ShowingReadsTheStoreSelectsTheRootThenListsTheInbox) {
  std::filesystem::create_directories(MasterDat().parent_path());
  PlainMasterFile();
  WriteFileBytes(MasterDat(), MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("既読")));
  Start();
  std::vector<QString> listed;  // the folder node shown each time the list is filled
  main->hooks.show_list = [&] {
    listed.push_back(Find<QTreeWidget>(main, "TreeV")->currentItem()->text(0));
  };
  int counts = 0;
  main->hooks.count_kensuu = [&] { ++counts; };
  main->show();

  EXPECT_EQ(st->store.CtMaster(), 2);
  EXPECT_EQ(listed,
            (std::vector<QString>{QStringLiteral("メッセージ"), QStringLiteral("受信箱(未読)")}));
  EXPECT_EQ(counts, 1);
  EXPECT_NE(LogText().find("読込完了 :2 件"), std::string::npos);
  // The tree click that lists the inbox clears the status bar.
  EXPECT_EQ(main->StatusText(), QString());

  // A second showing (after hiding) is not a start: the store is not read again.
  st->store.Append({});
  main->hide();
  main->show();
  EXPECT_EQ(st->store.CtMaster(), 3);
}

TEST_F(MainWindowTest, StoredValuesAreAppliedAndCloseWritesEveryValueBack) {
  Preset(kCommonKey, [](IniStore& i) {
    WriteWindowGeometry(i, "fmKairo", {30, 40, 700, 520});
    i.WriteBool("Setting", "fmKairo.CkStop", true);
    i.WriteInteger("Setting", "fmKairo.SpInterval", 15);
    i.WriteInteger("Setting", "fmKairo.PanelList", 150);
    i.WriteInteger("Setting", "fmKairo.PanelTree", 120);
    i.WriteInteger("Setting", "fmKairo.PageCOn", 2);
    i.WriteString("Setting", "fmKairo.LabelJikoku", "2024/05/06 07:08:09");
    i.WriteString("Setting", "fmKairo.curSite", J("ソラ"));
    i.WriteString("Setting", "fmKairo.curAccount", "nick");
    i.WriteBool("Setting", "fmKairo.CkNokosu", true);
    i.WriteBool("Setting", "fmKairo.Debug", false);
    i.WriteString("Setting", "fmKairo.LViewWidth", "81;101;102;103;104;41;51;52;99;42;");
    i.WriteString("Setting", "fmKairo.glDocRoot", "/docs/Help");
  });
  StartAndShow();
  EXPECT_EQ(main->pos(), QPoint(30, 40));
  EXPECT_EQ(main->size(), QSize(700, 520));
  EXPECT_EQ(Find<QSpinBox>(main, "SpInterval")->value(), 15);
  EXPECT_EQ(Find<QTabWidget>(main, "PageCon")->currentIndex(), 2);
  EXPECT_EQ(Find<QLabel>(main, "LabelJikoku")->text(), QStringLiteral("2024/05/06 07:08:09"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdSiteName")->text(), QStringLiteral("ソラ"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("nick"));
  EXPECT_TRUE(Find<QCheckBox>(main, "CkNokosu")->isChecked());
  EXPECT_FALSE(Action(main, "B1")->isVisible());
  EXPECT_FALSE(Action(main, "MenuHenkan")->isVisible());
  EXPECT_EQ(Find<QSplitter>(main, "SplitterRight")->sizes().value(0), 150);
  EXPECT_EQ(Find<QSplitter>(main, "SplitterLeft")->sizes().value(0), 120);
  // Every stored width but that of "Index", which is kept out of sight.
  EXPECT_EQ(ColumnWidths(Find<QTreeView>(main, "LViewData")),
            (std::vector<int>{81, 101, 102, 103, 104, 41, 51, 52, 1, 42}));
  EXPECT_EQ(st->doc_root, "/docs/Help");

  // The current account is what is written, not the boxes.
  st->cur = {.site = J("別サイト"),
             .account = "acc",
             .pass = "pw",
             .host = "h.example",
             .user = "u9",
             .dyn = ""};
  Find<QCheckBox>(main, "CkStop")->setChecked(false);
  Find<QTabWidget>(main, "PageCon")->setCurrentIndex(1);
  main->move(12, 34);
  main->resize(640, 480);
  Action(main, "X1")->trigger();
  EXPECT_FALSE(main->isVisible());

  const IniStore ini = Stored(kCommonKey);
  auto s = [&](const char* name) { return ini.ReadString("Setting", name, "<absent>"); };
  auto w = [&](const char* name) { return ini.ReadString("Window", name, "<absent>"); };
  EXPECT_EQ(w("fmKairo.Left"), "12");
  EXPECT_EQ(w("fmKairo.Top"), "34");
  EXPECT_EQ(w("fmKairo.Width"), "640");
  EXPECT_EQ(w("fmKairo.Height"), "480");
  EXPECT_EQ(s("fmKairo.CkStop"), "0");
  EXPECT_EQ(s("fmKairo.CkNokosu"), "1");
  EXPECT_EQ(s("fmKairo.Debug"), "0");
  EXPECT_EQ(s("fmKairo.SpInterval"), "15");
  EXPECT_EQ(s("fmKairo.PanelList"), "150");
  EXPECT_EQ(s("fmKairo.PanelTree"), "120");
  EXPECT_EQ(s("fmKairo.PageCOn"), "1");
  EXPECT_EQ(s("fmKairo.LabelJikoku"), "2024/05/06 07:08:09");
  EXPECT_EQ(s("fmKairo.LViewWidth"), "81;101;102;103;104;41;51;52;1;42;");
  EXPECT_EQ(s("fmKairo.curHost"), "h.example");
  EXPECT_EQ(s("fmKairo.curSite"), J("別サイト"));
  EXPECT_EQ(s("fmKairo.curAccount"), "acc");
  EXPECT_EQ(s("fmKairo.curPass"), "pw");
  EXPECT_EQ(s("fmKairo.curUser"), "u9");
  EXPECT_EQ(s("fmKairo.glDocRoot"), "/docs/Help");
}

TEST_F(MainWindowTest, FirstStartCloseWritesTheDefaultsAndTheDebugMenuAsVisible) {
  StartAndShow();
  main->close();
  const IniStore ini = Stored(kCommonKey);
  EXPECT_EQ(ini.ReadString("Window", "fmKairo.Left", ""), "45");
  EXPECT_EQ(ini.ReadString("Window", "fmKairo.Height", ""), "561");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.CkStop", ""), "1");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.Debug", ""), "1");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.SpInterval", ""), "0");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.PanelList", ""), "180");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.PanelTree", ""), "136");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.LViewWidth", ""),
            "80;100;100;100;100;40;50;50;1;40;");
  EXPECT_EQ(ini.ReadString("Setting", "fmKairo.glDocRoot", ""), PathText(Paths().app_dir / "Help"));
  // The next start finds what this one left.
  EndRun();
  StartAndShow();
  EXPECT_EQ(main->pos(), QPoint(45, 48));
  EXPECT_TRUE(Action(main, "B1")->isVisible());
}

TEST_F(MainWindowTest, AStoredListWidthWithTwoEntriesSetsOnlyTheFirstTwoColumns) {
  Preset(kCommonKey, [](IniStore& i) { i.WriteString("Setting", "fmKairo.LViewWidth", "11;x;"); });
  StartAndShow();
  EXPECT_EQ(ColumnWidths(Find<QTreeView>(main, "LViewData")),
            (std::vector<int>{11, 0, 100, 100, 100, 40, 50, 50, 1, 40}));
}

TEST_F(MainWindowTest, QuitWithoutSavingWritesTheSettingsButNotTheMasterFile) {
  std::filesystem::create_directories(MasterDat().parent_path());
  PlainMasterFile();
  const std::string before = MasterLine(1, "kept", J("受信箱"));
  WriteFileBytes(MasterDat(), before);
  StartAndShow();
  st->store.Append({});  // a change in memory only
  main->move(70, 80);
  bool ended = false;
  QObject::connect(main, &TFormMain::closed, [&] { ended = true; });
  Action(main, "C1")->trigger();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(Stored(kCommonKey).ReadInteger("Window", "fmKairo.Left", 0), 70);
  EXPECT_EQ(ReadFileBytes(MasterDat()), before);
  EXPECT_FALSE(std::filesystem::exists(MasterEnc()));
}

TEST_F(MainWindowTest, ExitSavesTheMasterFile) {
  std::filesystem::create_directories(MasterDat().parent_path());
  PlainMasterFile();
  WriteFileBytes(MasterDat(), MasterLine(1, "kept", J("受信箱")));
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

TEST_F(MainWindowTest, TimerArmedAndOffThroughStopAndInterval) {
  Preset(kCommonKey, [](IniStore& i) {
    i.WriteBool("Setting", "fmKairo.CkStop", false);
    i.WriteInteger("Setting", "fmKairo.SpInterval", 5);
  });
  Start();
  QTimer* timer = Find<QTimer>(main, "Timer1");
  // Nothing is fetched while the window is created: a fetch would have armed the timer.
  EXPECT_FALSE(timer->isActive());
  main->show();
  // Shown: one fetch at once, then armed for five minutes.
  EXPECT_EQ(fetches, 1);
  EXPECT_TRUE(timer->isActive());
  EXPECT_TRUE(timer->isSingleShot());
  EXPECT_EQ(timer->interval(), 5 * 60 * 1000);

  auto* stop = Find<QCheckBox>(main, "CkStop");
  auto* interval = Find<QSpinBox>(main, "SpInterval");
  stop->setChecked(true);
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(fetches, 1);

  interval->setValue(2);
  EXPECT_FALSE(timer->isActive());
  stop->setChecked(false);  // unchecking fetches at once and arms
  EXPECT_EQ(fetches, 2);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 2 * 60 * 1000);

  interval->setValue(0);  // an armed timer with interval 0 never comes due
  EXPECT_FALSE(timer->isActive());
  Find<QPushButton>(main, "BtGet")->click();  // the button still fetches
  EXPECT_EQ(fetches, 3);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(MainWindowTest, StopUncheckedWithIntervalZeroNeverFetchesByItself) {
  Preset(kCommonKey, [](IniStore& i) { i.WriteBool("Setting", "fmKairo.CkStop", false); });
  StartAndShow();
  EXPECT_FALSE(Find<QCheckBox>(main, "CkStop")->isChecked());
  EXPECT_EQ(fetches, 0);
  EXPECT_FALSE(Find<QTimer>(main, "Timer1")->isActive());
}

TEST_F(MainWindowTest, DebugKeysInTheSiteNameBoxToggleTheDebugMenus) {
  Preset(kCommonKey, [](IniStore& i) { i.WriteBool("Setting", "fmKairo.Debug", false); });
  StartAndShow();
  st->cur.pass = "the-pass";
  QLineEdit* site = Find<QLineEdit>(main, "EdSiteName");
  QAction* debug = Action(main, "B1");
  QAction* henkan = Action(main, "MenuHenkan");
  ASSERT_FALSE(debug->isVisible());

  Key(site, Qt::Key_F12);  // not armed
  EXPECT_FALSE(debug->isVisible());
  Key(site, Qt::Key_F11);
  Key(site, Qt::Key_A);  // any other key disarms
  Key(site, Qt::Key_F12);
  EXPECT_FALSE(debug->isVisible());

  Key(site, Qt::Key_F11);
  Key(site, Qt::Key_F12);
  EXPECT_TRUE(debug->isVisible());
  EXPECT_TRUE(henkan->isVisible());
  EXPECT_EQ(main->StatusText(), QStringLiteral("the-pass"));
  Key(site, Qt::Key_F12);  // still armed: hides them again
  EXPECT_FALSE(debug->isVisible());
  EXPECT_FALSE(henkan->isVisible());
  Key(site, Qt::Key_F12);
  main->close();
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKairo.Debug", ""), "1");
}

TEST_F(MainWindowTest, AfterAStartWithDebugMenusVisibleTheSecondKeyAloneHidesThem) {
  StartAndShow();
  Key(Find<QLineEdit>(main, "EdSiteName"), Qt::Key_F12);
  EXPECT_FALSE(Action(main, "B1")->isVisible());
  main->close();
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKairo.Debug", ""), "0");
}

TEST_F(MainWindowTest, DebugMenuStoreCommandsReportInTheStatusBar) {
  std::filesystem::create_directories(MasterDat().parent_path());
  PlainMasterFile();
  WriteFileBytes(MasterDat(), MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("削除済み")) +
                                  MasterLine(3, "c", J("重要")));
  StartAndShow();
  ASSERT_EQ(st->store.CtMaster(), 2);

  Action(main, "S2")->trigger();
  EXPECT_EQ(main->StatusText(), QStringLiteral("保存完了 :2 件"));
  st->store.Append({});
  st->store.Set(2, 3, "third");
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

TEST_F(MainWindowTest, AWindowClosedBeforeItWasShownNeverSavesTheUnreadStore) {
  std::filesystem::create_directories(MasterDat().parent_path());
  PlainMasterFile();
  const std::string before = MasterLine(1, "kept", J("受信箱"));
  WriteFileBytes(MasterDat(), before);
  Start();  // created, never shown: the store was not read
  main->close();
  EXPECT_EQ(ReadFileBytes(MasterDat()), before);
  EXPECT_TRUE(Stored(kCommonKey).Has("Window", "fmKairo.Left"));  // its settings are written
}

TEST_F(MainWindowTest, ConnectionCheckButtonRunsItsHook) {
  StartAndShow();
  int checks = 0;
  main->hooks.setsuzoku = [&] { ++checks; };
  Find<QPushButton>(main, "BtSetsuzoku")->click();
  EXPECT_EQ(checks, 1);
}

}  // namespace
}  // namespace sorami::test
