// The windows of a run together: each keeps its own placement, the menus show the others.
#include <QPushButton>

#include "attach/ui/TFormTenpu.h"
#include "compose/ui/TFormNewMsg.h"
#include "compose/ui/TFormSendList.h"
#include "compose/ui/TFormShomei.h"
#include "gui/GuiFixture.h"
#include "shell/ui/TFormVersion.h"
#include "site/ui/TFormClaim.h"
#include "views/ui/TFormKensaku.h"

namespace sorami::test {
namespace {

using WindowsTest = GuiFixture;

TEST_F(WindowsTest, EachSecondaryWindowWritesItsPlacementWhenClosedAndGetsItBack) {
  Start();
  auto persisted = [&] {
    AppWindows& w = *windows;
    return std::vector<QWidget*>{w.new_msg.get(), w.send_list.get(), w.tenpu.get(),
                                 w.claim.get(),   w.shomei.get(),    w.kensaku.get()};
  };
  int k = 0;
  for (QWidget* w : persisted()) {
    ++k;
    w->show();
    w->move(10 * k, 20 * k);
    w->close();
    EXPECT_FALSE(w->isVisible());
  }
  EndRun();
  Start();
  k = 0;
  for (QWidget* w : persisted()) {
    ++k;
    EXPECT_EQ(w->pos(), QPoint(10 * k, 20 * k)) << w->objectName().toStdString();
  }
}

TEST_F(WindowsTest, TheMenusShowTheSettingsAndVersionWindowsAndOkClosesTheVersion) {
  StartAndShow();
  Action(main, "S1")->trigger();
  EXPECT_TRUE(windows->settei->isVisible());
  TFormVersion* version = windows->version.get();
  Action(main, "V1")->trigger();
  EXPECT_TRUE(version->isVisible());
  Find<QPushButton>(version, "BtOK")->click();
  EXPECT_FALSE(version->isVisible());
}

}  // namespace
}  // namespace sorami::test
