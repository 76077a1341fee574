#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>

#include "gui/GuiFixture.h"
#include "platform/WindowGeometry.h"
#include "shell/ui/TFormMemo.h"

namespace sorami::test {
namespace {

// Runs the test with the process's current directory in the scratch directory, where the
// log window saves "Logfile.log".
class LogWindowTest : public GuiFixture {
 protected:
  LogWindowTest() : old_cwd_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
  }
  ~LogWindowTest() override { std::filesystem::current_path(old_cwd_); }

  TFormMemo* Memo() { return windows->memo.get(); }
  // What the user sees: the log window shown (a hidden window refills its memo when shown).
  QString MemoText() {
    Memo()->ShowLog();
    return Find<QPlainTextEdit>(Memo(), "MemoLog")->toPlainText();
  }
  QString MemoStatus() {
    return Find<QStatusBar>(Memo(), "StatusBar")->findChild<QLabel*>()->text();
  }
  std::string LogFile() const { return ReadFileBytes(dir_ / "Logfile.log"); }

 private:
  std::filesystem::path old_cwd_;
};

TEST_F(LogWindowTest, TheDebugMenuShowsTheLogWindowOnItsLogTabFollowingTheLog) {
  StartAndShow();
  EXPECT_FALSE(Memo()->isVisible());
  Action(main, "L1")->trigger();
  EXPECT_TRUE(Memo()->isVisible());
  auto* page = Find<QTabWidget>(Memo(), "PageControl1");
  EXPECT_EQ(page->tabText(page->currentIndex()), QStringLiteral("LOG"));

  // What the window shows is the log, line for line, Japanese included.
  st->log.Log(J("日本語の行\r\n二行目"));
  const QStringList shown = MemoText().split('\n');
  ASSERT_EQ(static_cast<size_t>(shown.size()), st->log.lines().size());
  EXPECT_EQ(shown.front(), QStringLiteral("MemoLog"));
  EXPECT_TRUE(shown[shown.size() - 2].endsWith(QStringLiteral(" 日本語の行")));
  EXPECT_EQ(shown.back(), QStringLiteral("二行目"));  // the text's own second line
}

TEST_F(LogWindowTest, SaveWritesTheLogAndClearEmptiesItAndAFailedSaveSaysErr) {
  StartAndShow();
  st->log.Log("first");
  Action(Memo(), "S1")->trigger();
  EXPECT_EQ(MemoStatus(), QStringLiteral("OK Logfile.log"));
  EXPECT_NE(LogFile().find("first\r\n"), std::string::npos);

  Action(Memo(), "E1")->trigger();
  EXPECT_EQ(MemoText(), QString());
  Action(Memo(), "S1")->trigger();
  EXPECT_EQ(LogFile(), "");
  st->log.Log("second");  // after clearing, new lines are shown again
  EXPECT_TRUE(MemoText().endsWith(QStringLiteral(" second")));

  std::filesystem::remove(dir_ / "Logfile.log");
  std::filesystem::create_directory(dir_ / "Logfile.log");  // cannot be replaced by a file
  Action(Memo(), "S1")->trigger();
  EXPECT_EQ(MemoStatus(), QStringLiteral("ERR Logfile.log"));
}

TEST_F(LogWindowTest, SuspendDropsNewLinesAndSurvivesARestartUnderTheKeySorami) {
  StartAndShow();
  QAction* yokushi = Action(Memo(), "MenuYokushi");
  ASSERT_TRUE(yokushi->isCheckable());
  EXPECT_FALSE(yokushi->isChecked());
  Action(main, "L1")->trigger();
  yokushi->trigger();
  EXPECT_TRUE(yokushi->isChecked());
  const size_t before = st->log.lines().size();
  const QString shown = MemoText();
  st->log.Log("dropped");
  EXPECT_EQ(st->log.lines().size(), before);
  EXPECT_EQ(MemoText(), shown);

  Memo()->move(100, 110);
  Memo()->resize(300, 200);
  Action(Memo(), "C1")->trigger();  // the user closes the window: its settings are written
  EXPECT_FALSE(Memo()->isVisible());
  const IniStore sorami = Stored(kMemoKey);
  EXPECT_EQ(ReadWindowGeometry(sorami, "fmFormMemo", {}), (WindowGeometry{100, 110, 300, 200}));
  EXPECT_TRUE(sorami.ReadBool("Setting", "fmFormMemo.Yokushi", false));
  EXPECT_FALSE(Stored(kCommonKey).Has("Window", "fmFormMemo.Left"));

  EndRun();
  StartAndShow();
  EXPECT_TRUE(Action(Memo(), "MenuYokushi")->isChecked());
  EXPECT_TRUE(st->log.suspended());
  EXPECT_EQ(st->log.lines(), std::vector<std::string>{"MemoLog"});  // the read of the store too
  EXPECT_EQ(Memo()->pos(), QPoint(100, 110));
  EXPECT_EQ(Memo()->size(), QSize(300, 200));

  Action(Memo(), "MenuYokushi")->trigger();  // logging again
  st->log.Log("kept");
  EXPECT_TRUE(MemoText().endsWith(QStringLiteral(" kept")));
}

TEST_F(LogWindowTest, EndingTheRunWithTheLogWindowOpenWritesNothingForIt) {
  StartAndShow();
  Action(main, "L1")->trigger();
  Memo()->move(5, 6);
  main->close();
  EndRun();
  EXPECT_TRUE(StoredFileExists(kCommonKey));
  EXPECT_FALSE(StoredFileExists(kMemoKey));
}

}  // namespace
}  // namespace sorami::test
