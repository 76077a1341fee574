// The connection check of the main window and of the settings window against scripted
// answers: which password is sent, what is recorded and saved, what each status bar shows.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "shell/ConnectionCheck.h"
#include "site/SendHttp.h"
#include "support/AppFixture.h"
#include "support/FakeHttp.h"

namespace sorami {
namespace {

constexpr const char* kHostAnswer = "x\tOK(PGM)\r\nTOHOST=h:9\tTOUSER=sys\tDYNAMIC=p$k";

class ConnectionCheck : public test::FakeSiteTest {
 protected:
  std::string Stored(const char* field) {
    return st->registry.Open(kCommonKey).ReadString("Setting", field, "<absent>");
  }
};

TEST_F(ConnectionCheck, TheMaskChecksWithTheStoredPasswordAndRecordsTheAccount) {
  SetEditPassword(st->settei, "stored");
  st->settei.v.host = "stale-host";
  st->settei.rows.push_back(
      ParseAccountRow(test::JoinedRow({"site", "nick", "old", "", "old-host", "u", " ", ""})));
  http->Answer(kHostAnswer);
  http->Answer("x\tOK(PGM)checked");
  const CheckOutcome out = SetsuzokuKakunin(*st, "site", "nick", PasswordMask());
  ASSERT_TRUE(out.ok) << out.msg;
  EXPECT_EQ(out.msg, "checked");
  ASSERT_EQ(http->sent.size(), 2u);
  EXPECT_EQ(http->sent[0].body, "COMMAND=GETHOST&TOSITE=site&");
  EXPECT_EQ(http->sent[1].body,
            "COMMAND=CHECK&FROMSITE=h%3A9&FROMUSER=sys&FROMNAME=nick&USERPASS=stored&");
  // The row of the same site and nickname is brought up to date and enabled, not doubled.
  ASSERT_EQ(st->settei.rows.size(), 1u);
  EXPECT_EQ(AccountRowText(st->settei.rows[0]), "site\tnick\tstored\t\th:9\tsys\ton\tp$k");
  EXPECT_EQ(st->settei.v.password, "stored");
  EXPECT_EQ(test::ReadFileBytes(DataFile("KRList.dat")),
            "site\tnick\tstored\t\th:9\tsys\ton\tp$k\r\n");
  EXPECT_EQ(Stored("fmKairoSettei.LbHost"), "h:9");
  EXPECT_EQ(Stored("fmKairoSettei.EdPassword"), "stored");
}

TEST_F(ConnectionCheck, AFailedCheckWithTheMaskNeverStoresTheMaskAsThePassword) {
  SetEditPassword(st->settei, "stored");
  http->Answer("x\tOK(PGM)\r\nTOHOST=h:9");  // no user: the check fails
  EXPECT_FALSE(SetsuzokuKakunin(*st, "site", "nick", PasswordMask()).ok);
  EXPECT_EQ(st->settei.v.password, "stored");
  EXPECT_EQ(st->cur.password, "stored");
  // "登録" and "ＯＫ" in the settings window then record the real password.
  ASSERT_TRUE(UpdateAcList(st->settei, st->log, true, 0));
  EXPECT_EQ(st->settei.rows.back().password, "stored");
  ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), msg));
  EXPECT_EQ(Stored("fmKairoSettei.EdPassword"), "stored");
}

TEST_F(ConnectionCheck, ATypedPasswordIsUsedAtOnceAndStaysWhenTheCheckFails) {
  SetEditPassword(st->settei, "stored");
  st->settei.v.host = "stale-host";
  st->settei.v.sys_user = "stale-user";
  http->Answer("x\tOK(PGM)\r\nTOHOST=h:9");  // no user: the site cannot be used
  CheckOutcome out = SetsuzokuKakunin(*st, "site", "nick", "typed");
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(Cp932ToUtf8(out.msg), "接続エラー");
  EXPECT_EQ(st->cur.password, "typed");
  EXPECT_EQ(st->cur.site, "site");
  EXPECT_EQ(st->settei.v.host, "");  // the stale host is not kept
  EXPECT_EQ(st->settei.v.sys_user, "");
  EXPECT_TRUE(st->settei.rows.empty());
  EXPECT_FALSE(Has("KRList.dat"));
}

TEST_F(ConnectionCheck, TheSettingsWindowsCheckSavesOnlyWhenTheAccountIsValid) {
  st->cur = {"site", "nick", "pw", "", "", ""};
  http->Answer(kHostAnswer);
  http->Answer("x\tNG\r\nNG");
  CheckOutcome out = KakuninAccount(*st);
  EXPECT_FALSE(out.ok);
  EXPECT_FALSE(Has("KRList.dat"));
  EXPECT_FALSE(st->busy.busy());

  http->Answer(kHostAnswer);
  http->Answer("x\tOK(PGM)fine");
  out = KakuninAccount(*st);
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.msg, "fine");
  EXPECT_TRUE(Has("KRList.dat"));
  EXPECT_EQ(Stored("fmKairoSettei.LbSysUser"), "sys");
  EXPECT_TRUE(st->settei.rows.empty());  // this check records no row; "登録" does
}

// A TAB, CR or LF would split the account's line of KRList.dat: refused where it is entered,
// before any request, with nothing recorded.
TEST_F(ConnectionCheck, TextsTheAccountListCannotHoldAreRefusedWhereTheyAreEntered) {
  SetEditPassword(st->settei, "stored");
  for (const char* nick : {"ni\tck", "nick"}) {
    const std::string pass = nick == std::string("nick") ? "pa\r\nss" : "typed";
    const CheckOutcome out = SetsuzokuKakunin(*st, "site", nick, pass);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(Cp932ToUtf8(out.msg), nick == std::string("nick")
                                        ? "パスワードにタブや改行は使えません"
                                        : "ニックネームにタブや改行は使えません");
  }
  EXPECT_EQ(st->settei.v.password, "stored");  // the boxes' texts were not taken

  // The settings window's check and the command line's account test.
  st->cur = {"site", "nick", "pa\nss", "", "", ""};
  EXPECT_FALSE(KakuninAccount(*st).ok);
  EXPECT_FALSE(ExecTest(*st, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "パスワードにタブや改行は使えません");
  EXPECT_TRUE(http->sent.empty());

  // "登録" and "変更" of the settings window.
  SetEditKairo(st->settei, "si\tte");
  EXPECT_FALSE(UpdateAcList(st->settei, st->log, true, 0, &msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "サイト名にタブや改行は使えません");
  EXPECT_TRUE(st->settei.rows.empty());
}

}  // namespace
}  // namespace sorami
