#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "attach/ui/TFormTenpu.h"
#include "compose/ui/TFormClaim.h"
#include "compose/ui/TFormNewMsg.h"
#include "compose/ui/TFormSendList.h"
#include "compose/ui/TFormShomei.h"
#include "gui/GuiFixture.h"
#include "platform/WindowGeometry.h"
#include "settings/ui/TFormSettei.h"
#include "shell/ui/TFormMemo.h"
#include "shell/ui/TFormVersion.h"
#include "site/ui/TFormMessage.h"
#include "views/ui/TFormKensaku.h"

namespace sorami::test {
namespace {

using WindowsTest = GuiFixture;

struct Persisted {
  QWidget* window;
  const char* name;
  WindowGeometry design;
};

std::vector<Persisted> PersistedWindows(AppWindows& w) {
  return {
      {w.new_msg.get(), "fmKrNew", {15, 284, 514, 365}},
      {w.send_list.get(), "fmSendList", {6, 194, 442, 341}},
      {w.tenpu.get(), "fmTenpu", {210, 140, 402, 332}},
      {w.claim.get(), "fmClaim", {208, 101, 430, 420}},
      {w.shomei.get(), "fmShomei", {215, 89, 361, 180}},
      {w.kensaku.get(), "fmSorKensaku", {150, 90, 280, 148}},
  };
}

WindowGeometry Where(const QWidget* w) {
  return {w->pos().x(), w->pos().y(), w->width(), w->height()};
}

TEST_F(WindowsTest, ElevenWindowsOfTheirClassesHiddenUntilShown) {
  Start();
  ASSERT_NE(dynamic_cast<TFormMain*>(windows->main.get()), nullptr);
  const std::pair<QWidget*, const char*> all[] = {
      {windows->settei.get(), "設定"},
      {windows->new_msg.get(), "新規メッセージ作成"},
      {windows->message.get(), "検索実行中"},
      {windows->send_list.get(), "送信先リスト"},
      {windows->tenpu.get(), "添付ファイル"},
      {windows->claim.get(), "クレーム報告"},
      {windows->shomei.get(), "署名"},
      {windows->kensaku.get(), "検索"},
      {windows->version.get(), "バージョン情報"},
  };
  for (const auto& [w, caption] : all) {
    ASSERT_NE(w, nullptr) << caption;
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8(caption));
    EXPECT_FALSE(w->isVisible()) << caption;
  }
  EXPECT_NE(windows->memo, nullptr);
  EXPECT_TRUE(st->log.attached());
}

TEST_F(WindowsTest, SecondaryWindowsTakeTheirDesignGeometryOnAFirstStart) {
  Start();
  for (const Persisted& p : PersistedWindows(*windows)) {
    EXPECT_EQ(Where(p.window), p.design) << p.name;
  }
  EXPECT_EQ(windows->settei->pos(), QPoint(190, 110));
}

TEST_F(WindowsTest, SecondaryWindowsReadTheirGeometryAtCreationAndWriteItWhenClosed) {
  Preset(kCommonKey, [](IniStore& i) {
    int k = 0;
    for (const char* name :
         {"fmKrNew", "fmSendList", "fmTenpu", "fmClaim", "fmShomei", "fmSorKensaku"}) {
      ++k;
      WriteWindowGeometry(i, name, {10 * k, 20 * k, 300 + k, 200 + k});
    }
  });
  Start();
  int k = 0;
  for (const Persisted& p : PersistedWindows(*windows)) {
    ++k;
    EXPECT_EQ(Where(p.window), (WindowGeometry{10 * k, 20 * k, 300 + k, 200 + k})) << p.name;
  }
  // Each writes its own values when closed, and only then; closing hides it.
  for (const Persisted& p : PersistedWindows(*windows)) {
    p.window->show();
    p.window->move(33, 44);
    p.window->resize(355, 266);
    p.window->close();
    EXPECT_FALSE(p.window->isVisible());
    EXPECT_EQ(ReadWindowGeometry(Stored(kCommonKey), p.name, {}),
              (WindowGeometry{33, 44, 355, 266}))
        << p.name;
  }
  EndRun();
  Start();
  for (const Persisted& p : PersistedWindows(*windows)) {
    EXPECT_EQ(Where(p.window), (WindowGeometry{33, 44, 355, 266})) << p.name;
  }
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

TEST_F(WindowsTest, ThePersistedValuesOfOneWindowLeaveThoseOfTheOthers) {
  Preset(kCommonKey, [](IniStore& i) { i.WriteString("Setting", "fmKrNew.EditAtesaki", "x%y"); });
  Start();
  windows->tenpu->close();
  main->close();
  const IniStore ini = Stored(kCommonKey);
  EXPECT_EQ(ini.ReadString("Setting", "fmKrNew.EditAtesaki", ""), "x%y");
  EXPECT_TRUE(ini.Has("Window", "fmTenpu.Left"));
  EXPECT_TRUE(ini.Has("Window", "fmKairo.Left"));
  EXPECT_FALSE(ini.Has("Window", "fmKrNew.Left"));  // never closed
}

TEST_F(WindowsTest, VersionWindowShowsTheVersionAndOkClosesIt) {
  StartAndShow();
  TFormVersion* version = windows->version.get();
  EXPECT_FALSE(Find<QPushButton>(version, "BtUpdate")->isVisibleTo(version));
  EXPECT_FALSE(Find<QProgressBar>(version, "ProgressBar1")->isVisibleTo(version));
  Action(main, "V1")->trigger();
  EXPECT_TRUE(version->isVisible());
  EXPECT_EQ(Find<QLabel>(version, "LabelVersion")->text(), QStringLiteral("(Ver 1.105)"));
  EXPECT_EQ(Find<QLabel>(version, "LabelTitle")->text(),
            QStringLiteral("ソラミメッセージ for Windows"));
  Find<QPushButton>(version, "BtOK")->click();
  EXPECT_FALSE(version->isVisible());
}

}  // namespace
}  // namespace sorami::test
