#include <gtest/gtest.h>

#include "settings/Settei.h"
#include "support/AppFixture.h"

namespace sorami {
namespace {

using SetteiPlacementTest = test::AppTest;

// Saved without the window (sorami-cli account add), the place of the settings window is its
// design place, not the corner of the screen with no size.
TEST_F(SetteiPlacementTest, ASaveWithoutTheWindowWritesTheDesignPlacement) {
  LoadSettei(st->settei, st->SetteiPlace());
  ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), msg));
  const IniStore ini = st->registry.Open(kCommonKey);
  EXPECT_EQ(ini.ReadInteger("Window", "fmKairoSettei.Left", -1), 190);
  EXPECT_EQ(ini.ReadInteger("Window", "fmKairoSettei.Top", -1), 110);
  EXPECT_EQ(ini.ReadInteger("Window", "fmKairoSettei.Width", -1), 520);
  EXPECT_EQ(ini.ReadInteger("Window", "fmKairoSettei.Height", -1), 420);

  // A stored position is read back and written again; the size is not read.
  IniStore moved = st->registry.Open(kCommonKey);
  moved.WriteInteger("Window", "fmKairoSettei.Left", 7);
  moved.WriteInteger("Window", "fmKairoSettei.Width", 999);
  ASSERT_TRUE(moved.Save());
  Remake();
  LoadSettei(st->settei, st->SetteiPlace());
  ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), msg));
  const IniStore again = st->registry.Open(kCommonKey);
  EXPECT_EQ(again.ReadInteger("Window", "fmKairoSettei.Left", -1), 7);
  EXPECT_EQ(again.ReadInteger("Window", "fmKairoSettei.Width", -1), 520);
}

}  // namespace
}  // namespace sorami
