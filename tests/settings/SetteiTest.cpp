#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "settings/Settei.h"
#include "shell/MailSend.h"
#include "support/AppFixture.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class SetteiTest : public test::AppTest {
 protected:
  std::filesystem::path ListFile() { return dir / "app" / "Data" / "KRList.dat"; }
};

TEST_F(SetteiTest, SavedValuesAndTheListRoundTripAndRestoreTheSiteAccount) {
  LoadSettei(st->settei, st->SetteiPlace());
  SetEditKairo(st->settei, Utf8ToCp932("広場"));
  SetEditAccount(st->settei, "taro");
  SetEditPassword(st->settei, "pw");
  st->settei.v.host = "h:80";
  st->settei.v.sys_user = "sys";
  st->settei.v.dyn_key = "$k";
  st->settei.account_enabled = true;
  ASSERT_TRUE(UpdateAcList(st->settei, st->log, true, 0));
  st->settei.account_enabled = false;
  st->settei.v.dyn_key = "";
  ASSERT_TRUE(UpdateAcList(st->settei, st->log, true, 0));
  st->master.encrypt = false;
  ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), msg));
  const std::string site = Utf8ToCp932("広場");
  EXPECT_EQ(ReadFileBytes(ListFile()), site + "\ttaro\tpw\t\th:80\tsys\ton\t$k\r\n" + site +
                                           "\ttaro\tpw\t\th:80\tsys\t \t\r\n");

  Remake();
  LoadSettei(st->settei, st->SetteiPlace());
  EXPECT_EQ(st->cur.site, site);
  EXPECT_EQ(st->cur.password, "pw");
  EXPECT_EQ(st->cur.host, "h:80");
  EXPECT_EQ(st->cur.sys_user, "sys");
  EXPECT_FALSE(st->master.encrypt);
  ASSERT_EQ(st->settei.rows.size(), 2u);
  EXPECT_EQ(st->settei.rows[0].dyn_key, "$k");
  EXPECT_TRUE(st->settei.rows[0].enabled);
  EXPECT_FALSE(st->settei.rows[1].enabled);
  const std::string first = ReadFileBytes(ListFile());
  ASSERT_TRUE(SaveKairoIDList(st->settei, st->SetteiPlace(), msg));  // written back byte for byte
  EXPECT_EQ(ReadFileBytes(ListFile()), first);
}

TEST_F(SetteiTest, TheSmtpLoginUsesItsOwnPasswordAndTheReceivePasswordWhenItIsEmpty) {
  SetteiValues v;
  v.smtp_user = "hanako";
  v.pop_password = "receive";
  EXPECT_EQ(SmtpConfigFromSettings(v).password, "receive");
  v.smtp_password = "send";
  EXPECT_EQ(SmtpConfigFromSettings(v).password, "send");
  EXPECT_EQ(SmtpConfigFromSettings(v).user, "hanako");
}

TEST_F(SetteiTest, ShowingARowMakesItCurrentAndDeletingUsesTheRememberedIndex) {
  WriteFileBytes(ListFile(), "s1\ta\tp1\t\th1\tu1\ton\t$d1\r\n\r\ns2\tb\tp2\nshort\r\n");
  ASSERT_TRUE(ReadKairoIDList(st->settei, st->SetteiPlace(), msg));
  ASSERT_EQ(st->settei.rows.size(), 3u);  // LF and empty lines read too
  ShowAccountRow(st->settei, 0);
  EXPECT_EQ(st->cur.dyn_key, "");  // the label is cleared before the current account is taken
  EXPECT_EQ(st->settei.v.dyn_key, "$d1");
  EXPECT_TRUE(st->settei.account_enabled);

  st->settei.clicked_row = 0;
  DeleteClickedRow(st->settei);
  DeleteClickedRow(st->settei);  // the row that moved into index 0
  ASSERT_EQ(st->settei.rows.size(), 1u);
  EXPECT_EQ(st->settei.rows[0].site, "short");
  EXPECT_EQ(st->settei.rows[0].host, "");  // missing columns read as empty
}

TEST_F(SetteiTest, AMissingListFileIsReportedAndLeavesTheList) {
  st->settei.rows.push_back(ParseAccountRow(test::JoinedRow({"kept"})));
  EXPECT_FALSE(ReadKairoIDList(st->settei, st->SetteiPlace(), msg));
  EXPECT_EQ(msg, "Cannot Read : " + ListFile().string());
  EXPECT_EQ(st->settei.rows.size(), 1u);
}

// Saved without the window (sorami-cli account add), the place of the settings window is its
// design place, not the corner of the screen with no size.
TEST_F(SetteiTest, ASaveWithoutTheWindowWritesTheDesignPlacement) {
  LoadSettei(st->settei, st->SetteiPlace());
  ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), msg));
  EXPECT_EQ(st->registry.Open(kCommonKey).ReadInteger("Window", "fmKairoSettei.Height", -1), 420);

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
