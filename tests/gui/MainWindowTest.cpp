// The main window as a frame: the start and the end of a run, its persisted controls, the
// polling timer's controls, the debug switch and the plain save of the store.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

#include "gui/GuiFixture.h"
#include "shell/ui/DesktopRun.h"
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
    if (col == 13) line += folder;
  }
  return line + "\r\n";
}

using MainWindowTest = GuiFixture;

// The program's own start (DesktopRun) on the fixture's folders.
CommonOptions RunOptions(const AppPaths& paths) {
  CommonOptions options;
  options.paths = {paths.app_dir.string(), paths.config_dir.string()};
  return options;
}

bool Logged(const AppState& st, const std::string& text) {
  const auto& lines = st.log.lines();
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.size() >= text.size() && l.compare(l.size() - text.size(), text.size(), text) == 0;
  });
}

TEST_F(MainWindowTest, OnlyTheFirstShowingReadsTheStoreAndAnUnreadStoreIsNeverSaved) {
  const std::string before = MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("既読"));
  PresetMaster(before);
  Start();  // created, never shown: the store was not read, and closing does not save it
  main->close();
  EXPECT_EQ(ReadFileBytes(MasterDat()), before);

  EndRun();
  StartAndShow();
  EXPECT_EQ(st->store.CtMaster(), 2);
  EXPECT_EQ(Find<QTreeWidget>(main, "TreeV")->currentItem()->text(0),
            QStringLiteral("受信箱(未読)"));
  EXPECT_EQ(Find<QTreeView>(main, "LViewData")->model()->rowCount(), 1);
  st->store.Append({});
  main->hide();
  main->show();  // not a start: the store is not read again
  EXPECT_EQ(st->store.CtMaster(), 3);
}

TEST_F(MainWindowTest, TheCountTabCountsTheStoreWhenItFirstShows) {
  PresetMaster(MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("既読")));
  StartAndShow();
  auto* counts = Find<QTreeView>(main, "ListV");
  EXPECT_EQ(counts->model(), nullptr);  // out of sight: nothing is counted
  st->store.Set(0, MastCol::kFolder, J("重要"));
  Find<QTabWidget>(main, "PageCon")->setCurrentIndex(2);  // the tab "件数"
  ASSERT_NE(counts->model(), nullptr);
  QStringList shown;
  for (int r = 0; r < counts->model()->rowCount(); ++r) {
    shown << counts->model()->index(r, 1).data().toString();
  }
  EXPECT_EQ(shown.join(','), QStringLiteral("0 件,1 件,0 件,0 件,1 件,0 件"));
}

TEST_F(MainWindowTest, TheControlsAndTheSiteAccountComeBackAtTheNextStart) {
  StartAndShow();
  Find<QCheckBox>(main, "CkNokosu")->setChecked(true);
  st->cur.site = J("別サイト");  // the current account is written, not the boxes
  Action(main, "X1")->trigger();
  EXPECT_FALSE(main->isVisible());

  EndRun();
  StartAndShow();
  EXPECT_TRUE(Find<QCheckBox>(main, "CkNokosu")->isChecked());
  EXPECT_TRUE(st->site.leave_on_site);
  EXPECT_EQ(Find<QLineEdit>(main, "EdSiteName")->text(), QStringLiteral("別サイト"));
}

TEST_F(MainWindowTest, ExitSavesTheStoreAndQuitWithoutSavingLeavesTheFileAsItWas) {
  const std::string before = MasterLine(1, "kept", J("受信箱"));
  PresetMaster(before);
  StartAndShow();
  st->store.Append({});  // a change in memory only
  Action(main, "C1")->trigger();
  EXPECT_FALSE(main->isVisible());
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
}

TEST_F(MainWindowTest, StopIntervalAndTheButtonDriveThePollingTimer) {
  StartAndShow();  // a first start is stopped: nothing is fetched
  EXPECT_EQ(fetches, 0);
  QTimer* timer = Find<QTimer>(main, "Timer1");
  auto* stop = Find<QCheckBox>(main, "CkStop");
  Find<QSpinBox>(main, "SpInterval")->setValue(2);
  stop->setChecked(false);  // unchecking fetches at once and arms
  EXPECT_EQ(fetches, 1);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 2 * 60 * 1000);
  stop->setChecked(true);
  EXPECT_FALSE(timer->isActive());
  Find<QPushButton>(main, "BtGet")->click();
  EXPECT_EQ(fetches, 2);
}

TEST_F(MainWindowTest, DebugKeysInTheSiteNameBoxToggleTheDebugMenusAndSettingsPages) {
  StartAndShow();  // a first start leaves the debug menus visible: the switch is armed
  QLineEdit* site = Find<QLineEdit>(main, "EdSiteName");
  TFormSettei* settei = windows->settei.get();
  auto* pages = Find<QTabWidget>(settei, "PageControl1");
  const int system = pages->indexOf(Find<QWidget>(settei, "TabSystem"));
  auto system_shown = [&] {
    settei->hide();
    settei->show();
    return pages->isTabVisible(system);
  };
  Key(site, Qt::Key_F12);
  EXPECT_FALSE(Action(main, "B1")->isVisible());
  EXPECT_TRUE(system_shown());  // the pages follow the switch, not the menus
  Key(site, Qt::Key_A);         // any other key disarms
  EXPECT_FALSE(system_shown());
  Key(site, Qt::Key_F11);
  Key(site, Qt::Key_F12);
  EXPECT_TRUE(Action(main, "B1")->isVisible());
  EXPECT_TRUE(system_shown());
}

TEST_F(MainWindowTest, SaveAsTextLeavesAPlainMasterFileEvenWithEncryptionOn) {
  PresetMaster(MasterLine(1, "a", J("受信箱")));
  StartAndShow();
  st->master.encrypt = true;  // as the settings window's switch sets it
  std::filesystem::remove(MasterDat());
  Action(main, "S5")->trigger();
  EXPECT_EQ(main->StatusText(), QStringLiteral("保存完了 :1 件"));
  EXPECT_TRUE(std::filesystem::exists(MasterDat()));
  EXPECT_FALSE(std::filesystem::exists(MasterEnc()));
}

TEST_F(MainWindowTest, TheStartReadsTheStoreWhileTheWindowsAreBuiltAndTheFirstShowingTakesIt) {
  PresetMaster(MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("既読")));
  {
    DesktopRun unshown;  // ended before its window showed: its read is waited for, its lock freed
    ASSERT_TRUE(unshown.Open(RunOptions(Paths())));
  }
  DesktopRun run;
  ASSERT_TRUE(run.Open(RunOptions(Paths())));
  EXPECT_EQ(run.state().store.CtMaster(), 0);  // the read is handed over when the window shows
  run.windows().main->show();
  EXPECT_EQ(run.state().store.CtMaster(), 2);
  EXPECT_EQ(Find<QTreeView>(run.windows().main.get(), "LViewData")->model()->rowCount(), 1);
  // The read's steps reach the run's log once, in their order.
  const auto& lines = run.state().log.lines();
  const auto read = std::find_if(lines.begin(), lines.end(),
                                 [](const std::string& l) { return l.ends_with(" ReadMaster"); });
  ASSERT_GE(std::distance(read, lines.end()), 3);
  EXPECT_TRUE(read[1].ends_with(PathText(MasterDat())));
  EXPECT_TRUE(read[2].ends_with(J("読込完了 :2 件")));
  EXPECT_EQ(std::count_if(read, lines.end(),
                          [](const std::string& l) { return l.ends_with(" ReadMaster"); }),
            1);
}

TEST_F(MainWindowTest, ARunBegunBeforeTheApplicationHandsItsLockAndItsReadToTheWindows) {
  PresetMaster(MasterLine(1, "a", J("受信箱")) + MasterLine(2, "b", J("既読")));
  {
    auto other = LockDataDir(Paths().DataDir(), 0);  // another program holds the folder
    EarlyStart early = BeginRun(RunOptions(Paths()));
    EXPECT_EQ(early.lock, nullptr);
    EXPECT_FALSE(early.st->preload.pending());  // nothing is read without the lock
  }
  EarlyStart early = BeginRun(RunOptions(Paths()));
  ASSERT_NE(early.lock, nullptr);
  EXPECT_TRUE(early.st->preload.pending());
  DesktopRun run;
  ASSERT_TRUE(run.Open(RunOptions(Paths()), std::move(early)));
  EXPECT_EQ(LockDataDir(Paths().DataDir(), 0), nullptr);  // the run holds it
  run.windows().main->show();
  EXPECT_EQ(run.state().store.CtMaster(), 2);
  EXPECT_EQ(Find<QTreeView>(run.windows().main.get(), "LViewData")->model()->rowCount(), 1);
}

TEST_F(MainWindowTest, ADamagedStoreStillOpensTheWindowAndIsKeptAsideBeforeTheFirstSave) {
  const std::string damaged = "not an encrypted store";
  std::filesystem::create_directories(MasterEnc().parent_path());
  WriteFileBytes(MasterEnc(), damaged);
  DesktopRun run;
  ASSERT_TRUE(run.Open(RunOptions(Paths())));
  TFormMain* window = run.windows().main.get();
  window->show();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(run.state().store.CtMaster(), 0);
  EXPECT_TRUE(Logged(run.state(), J("暗号復号失敗")));
  Action(window, "S2")->trigger();
  EXPECT_EQ(window->StatusText(), QStringLiteral("保存完了 :0 件"));
  int kept = 0;
  for (const auto& e : std::filesystem::directory_iterator(MasterEnc().parent_path())) {
    kept += e.path() != MasterEnc() && ReadFileBytes(e.path()) == damaged;
  }
  EXPECT_EQ(kept, 1);
}

}  // namespace
}  // namespace sorami::test
