// The windows of a run together: each keeps its own placement, the settings window only its
// position, the menus show the other windows, and the progress window is the site session's.
#include <QLabel>
#include <QPushButton>

#include "attach/ui/TFormTenpu.h"
#include "compose/ui/TFormClaim.h"
#include "compose/ui/TFormNewMsg.h"
#include "compose/ui/TFormSendList.h"
#include "compose/ui/TFormShomei.h"
#include "gui/GuiFixture.h"
#include "platform/WindowGeometry.h"
#include "settings/ui/TFormSettei.h"
#include "shell/ui/TFormVersion.h"
#include "site/ui/TFormMessage.h"
#include "views/ui/TFormKensaku.h"

namespace sorami::test {
namespace {

using WindowsTest = GuiFixture;

const char* const kPersisted[] = {"fmKrNew", "fmSendList", "fmTenpu",
                                  "fmClaim", "fmShomei",   "fmSorKensaku"};

std::vector<QWidget*> PersistedWindows(AppWindows& w) {
  return {w.new_msg.get(), w.send_list.get(), w.tenpu.get(),
          w.claim.get(),   w.shomei.get(),    w.kensaku.get()};
}

WindowGeometry Where(const QWidget* w) {
  return {w->pos().x(), w->pos().y(), w->width(), w->height()};
}

TEST_F(WindowsTest, SecondaryWindowsReadTheirGeometryAtCreationAndWriteItWhenClosed) {
  Preset(kCommonKey, [](IniStore& i) {
    int k = 0;
    for (const char* name : kPersisted) {
      ++k;
      WriteWindowGeometry(i, name, {10 * k, 20 * k, 300 + k, 200 + k});
    }
    i.WriteString("Setting", "fmKrNew.EditAtesaki", "x%y");
  });
  Start();
  int k = 0;
  for (QWidget* w : PersistedWindows(*windows)) {
    ++k;
    EXPECT_FALSE(w->isVisible()) << kPersisted[k - 1];
    EXPECT_EQ(Where(w), (WindowGeometry{10 * k, 20 * k, 300 + k, 200 + k})) << kPersisted[k - 1];
  }
  // Each writes its own values when closed, and only then; closing hides it.
  k = 0;
  for (QWidget* w : PersistedWindows(*windows)) {
    const char* name = kPersisted[k++];
    w->show();
    w->move(33, 44);
    w->resize(355, 266);
    EXPECT_EQ(ReadWindowGeometry(Stored(kCommonKey), name, {}).left, 10 * k) << name;
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(ReadWindowGeometry(Stored(kCommonKey), name, {}), (WindowGeometry{33, 44, 355, 266}))
        << name;
  }
  // The values of one window leave those of the others.
  main->close();
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKrNew.EditAtesaki", ""), "x%y");
  EndRun();
  Start();
  EXPECT_EQ(Where(windows->tenpu.get()), (WindowGeometry{33, 44, 355, 266}));
}

TEST_F(WindowsTest, TheSettingsWindowReadsOnlyItsPositionAndDoesNotWriteOnClose) {
  Preset(kCommonKey, [](IniStore& i) {
    WriteWindowGeometry(i, "fmKairoSettei", {70, 80, 999, 888});
  });
  Start();
  TFormSettei* settei = windows->settei.get();
  EXPECT_EQ(settei->pos(), QPoint(70, 80));
  EXPECT_EQ(settei->size(), QSize(520, 420));
  Action(main, "S1")->trigger();  // "設定(&S)" shows it
  EXPECT_TRUE(settei->isVisible());
  settei->move(1, 2);
  settei->close();
  EXPECT_EQ(Stored(kCommonKey).ReadInteger("Window", "fmKairoSettei.Left", 0), 70);
  settei->SaveGeometry();  // as its own save does
  EXPECT_EQ(Stored(kCommonKey).ReadInteger("Window", "fmKairoSettei.Left", 0), 1);
  EXPECT_EQ(Stored(kCommonKey).ReadInteger("Window", "fmKairoSettei.Width", 0), 520);
}

TEST_F(WindowsTest, VersionWindowShowsTheVersionAndOkClosesIt) {
  StartAndShow();
  TFormVersion* version = windows->version.get();
  Action(main, "V1")->trigger();
  EXPECT_TRUE(version->isVisible());
  EXPECT_EQ(Find<QLabel>(version, "LabelVersion")->text(), QStringLiteral("(Ver 1.105)"));
  Find<QPushButton>(version, "BtOK")->click();
  EXPECT_FALSE(version->isVisible());
}

TEST_F(WindowsTest, TheProgressWindowIsTheRunsSiteProgress) {
  Start();
  TFormMessage* progress = windows->message.get();
  ASSERT_NE(st->site.progress, nullptr);
  st->site.progress->Show(J("実行中　しばらくお待ちください"));
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->windowModality(), Qt::NonModal);
  EXPECT_EQ(progress->windowTitle(), QStringLiteral("実行中　しばらくお待ちください"));
  st->site.progress->Hide();
  EXPECT_FALSE(progress->isVisible());
  windows.reset();  // the state no longer reaches a window that is gone
  EXPECT_TRUE(st->site.progress == nullptr);
}

}  // namespace
}  // namespace sorami::test
