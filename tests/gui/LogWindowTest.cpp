// The log window: shown from the debug menu, following the log, saving and clearing it, and
// the suspend switch kept under its own settings key.
#include <QPlainTextEdit>
#include <QStatusBar>

#include "gui/GuiFixture.h"
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

 private:
  std::filesystem::path old_cwd_;
};

TEST_F(LogWindowTest, TheMenusShowSaveClearAndSuspendTheLogAndTheSuspensionIsKept) {
  StartAndShow();
  EXPECT_FALSE(Memo()->isVisible());
  Action(main, "L1")->trigger();
  EXPECT_TRUE(Memo()->isVisible());
  st->log.Log(J("日本語の行"));
  EXPECT_TRUE(MemoText().endsWith(QStringLiteral(" 日本語の行")));
  Action(Memo(), "S1")->trigger();
  EXPECT_EQ(MemoStatus(), QStringLiteral("OK Logfile.log"));
  EXPECT_NE(ReadFileBytes(dir_ / "Logfile.log").find(J("日本語の行")), std::string::npos);
  Action(Memo(), "E1")->trigger();
  EXPECT_EQ(MemoText(), QString());
  EXPECT_TRUE(st->log.lines().empty());

  Action(Memo(), "MenuYokushi")->trigger();
  st->log.Log("dropped");
  EXPECT_EQ(MemoText(), QString());
  Action(Memo(), "C1")->trigger();  // the user closes the window: its settings are written
  EXPECT_FALSE(Memo()->isVisible());
  EXPECT_TRUE(Stored(kMemoKey).ReadBool("Setting", "fmFormMemo.Yokushi", false));

  EndRun();
  StartAndShow();
  EXPECT_TRUE(Action(Memo(), "MenuYokushi")->isChecked());
  EXPECT_TRUE(st->log.suspended());
  Action(Memo(), "MenuYokushi")->trigger();  // logging again
  st->log.Log("kept");
  EXPECT_TRUE(MemoText().endsWith(QStringLiteral(" kept")));
}

}  // namespace
}  // namespace sorami::test
