#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "settings/Settei.h"
#include "support/AppFixture.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class SetteiTest : public test::AppTest {
 protected:
  std::filesystem::path ListFile() { return dir / "app" / "Data" / "KRList.dat"; }
};

TEST_F(SetteiTest, FirstStartHasTheDesignDefaultsAndAnEmptyList) {
  LoadSettei(st->settei, st->SetteiPlace());
  EXPECT_EQ(Cp932ToUtf8(st->settei.v.site_name), "パブリック");
  EXPECT_EQ(st->cur.site, st->settei.v.site_name);
  EXPECT_EQ(st->settei.v.nickname, "");
  EXPECT_EQ(st->cur.pass, "");
  EXPECT_TRUE(st->master.encrypt);
  EXPECT_TRUE(st->settei.v.pop_enabled);
  EXPECT_FALSE(st->settei.v.leave_mail_on_server);
  EXPECT_EQ(st->settei.v.directory_server, st->site.directory_host);
  EXPECT_TRUE(st->settei.rows.empty());
}

TEST_F(SetteiTest, SavedValuesAndTheListRoundTripAndRestoreTheCurrentAccount) {
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
  EXPECT_EQ(st->cur.pass, "pw");
  EXPECT_EQ(st->cur.host, "h:80");
  EXPECT_EQ(st->cur.user, "sys");
  EXPECT_FALSE(st->master.encrypt);
  ASSERT_EQ(st->settei.rows.size(), 2u);
  EXPECT_EQ(st->settei.rows[0].cols.size(), 8u);
  EXPECT_EQ(st->settei.rows[1].cols.size(), 7u);  // a trailing empty field is not restored
  EXPECT_TRUE(st->settei.rows[0].Enabled());
  EXPECT_FALSE(st->settei.rows[1].Enabled());
  ASSERT_TRUE(SaveKairoIDList(st->settei, st->SetteiPlace(), msg));  // written back byte for byte
  EXPECT_EQ(ReadFileBytes(ListFile()),
            site + "\ttaro\tpw\t\th:80\tsys\ton\t$k\r\n" + site + "\ttaro\tpw\t\th:80\tsys\t \r\n");
}

TEST_F(SetteiTest, ThePasswordMaskKeepsTheStoredPassword) {
  SetEditPassword(st->settei, "secret");
  SetEditPassword(st->settei, PasswordMask());
  EXPECT_EQ(st->cur.pass, "secret");
  SetEditPassword(st->settei, "");
  EXPECT_EQ(st->cur.pass, "");
}

TEST_F(SetteiTest, ShowingARowMakesItCurrentAndDeletingUsesTheRememberedIndex) {
  WriteFileBytes(ListFile(), "s1\ta\tp1\t\th1\tu1\ton\t$d1\r\n\r\ns2\tb\tp2\nshort\r\n");
  ASSERT_TRUE(ReadKairoIDList(st->settei, st->SetteiPlace(), msg));
  ASSERT_EQ(st->settei.rows.size(), 3u);  // LF and empty lines read too
  ShowAccountRow(st->settei, 0);
  EXPECT_EQ(st->cur.site, "s1");
  EXPECT_EQ(st->cur.pass, "p1");
  EXPECT_EQ(st->cur.host, "h1");
  EXPECT_EQ(st->cur.dyn, "");  // the label is cleared before the current account is taken
  EXPECT_EQ(st->settei.v.dyn_key, "$d1");
  EXPECT_TRUE(st->settei.account_enabled);

  st->settei.clicked_row = 0;
  DeleteClickedRow(st->settei);
  DeleteClickedRow(st->settei);  // the row that moved into index 0
  ASSERT_EQ(st->settei.rows.size(), 1u);
  EXPECT_EQ(st->settei.rows[0].Get(AccountRow::kSite), "short");
  EXPECT_EQ(st->settei.rows[0].Get(AccountRow::kHost), "");  // missing columns read as empty
}

TEST_F(SetteiTest, RecordingACheckedAccountUpdatesItsRowInsteadOfAddingASecond) {
  SetEditKairo(st->settei, "s");
  SetEditAccount(st->settei, "a");
  st->settei.v.host = "h1";
  RecordCheckedAccount(st->settei, st->log);
  st->settei.v.host = "h2";
  RecordCheckedAccount(st->settei, st->log);
  ASSERT_EQ(st->settei.rows.size(), 1u);
  EXPECT_EQ(st->settei.rows[0].Get(AccountRow::kHost), "h2");
  EXPECT_TRUE(st->settei.rows[0].Enabled());
}

TEST_F(SetteiTest, AMissingListFileIsReportedAndLeavesTheList) {
  st->settei.rows.push_back({{"kept"}});
  EXPECT_FALSE(ReadKairoIDList(st->settei, st->SetteiPlace(), msg));
  EXPECT_EQ(msg, "Cannot Read : " + ListFile().string());
  EXPECT_EQ(st->settei.rows.size(), 1u);
}

}  // namespace
}  // namespace sorami
