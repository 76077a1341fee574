// The passwords in the desktop's keyring. tests/keyring-session runs these in a private D-Bus
// session with a keyring daemon of its own; the case without a keyring runs with no bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <cstdlib>

#include "platform/Codepage.h"
#include "settings/Settei.h"
#include "shell/Startup.h"
#include "support/AppFixture.h"

namespace sorami {
namespace {

using test::ReadFileBytes;

class PasswordFilesTest : public test::AppTest {
 protected:
  // A new run that looks for the keyring at start, as the programs do.
  void Restart(bool portable = false) {
    Remake();
    st->paths.portable = portable;
    OpenPasswordVault(*st);
    LoadSettei(st->settei, st->SetteiPlace());
  }
  // Every kind of password the files hold: two rows, the account page's, receive and send.
  void TypePasswords() {
    SetEditKairo(st->settei, Utf8ToCp932("広場"));
    for (const char* nick : {"taro", "hanako"}) {
      SetEditAccount(st->settei, nick);
      SetEditPassword(st->settei, kWords[nick[0] == 'h']);
      ASSERT_TRUE(UpdateAcList(st->settei, st->log, true, 0));
    }
    st->settei.v.pop_password = kWords[2];
    st->settei.v.smtp_password = kWords[3];
  }
  void Save() { ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), msg)) << msg; }
  // How many of the typed passwords the settings file and the account list hold.
  int PasswordsInFiles() {
    const std::string files =
        ReadFileBytes(st->registry.PathOf(kCommonKey)) + ReadFileBytes(DataFile("KRList.dat"));
    int n = 0;
    for (const std::string& p : kWords) n += files.find(p) != std::string::npos;
    return n;
  }
  void ExpectTypedPasswords() {
    const Settei& s = st->settei;
    EXPECT_EQ(st->cur.password, kWords[1]);
    EXPECT_EQ(s.v.pop_password, kWords[2]);
    EXPECT_EQ(s.v.smtp_password, kWords[3]);
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0].password, kWords[0]);
    EXPECT_EQ(s.rows[1].password, kWords[1]);
  }
  const std::string kWords[4] = {"row-pw", Utf8ToCp932("列の合言葉"), "pop-pw", "smtp-pw"};
};

class KeyringTest : public PasswordFilesTest {
 protected:
  void SetUp() override {
    if (const char* why = std::getenv("SORAMI_NO_KEYRING")) {
      GTEST_SKIP() << "the keyring daemon could not be started: " << why;
    }
    Restart();
    ASSERT_TRUE(st->passwords.InKeyring()) << "a keyring daemon runs, yet none was found";
  }
  // What the keyring holds for one of our values, as another program sees it.
  std::string SecretToolLookUp(const std::string& name) {
    QProcess tool;
    const std::string key = st->paths.config_dir.string() + " " + name;
    tool.start("secret-tool", {"lookup", "server", "jp.hkw.sorami", "user", key.c_str()});
    if (!tool.waitForFinished()) return "(secret-tool did not run)";
    return tool.readAllStandardOutput().toStdString();
  }
};

TEST_F(KeyringTest, SavedPasswordsLeaveTheFilesAndComeBackFromTheKeyring) {
  TypePasswords();
  Save();
  EXPECT_EQ(PasswordsInFiles(), 0);
  EXPECT_EQ(SecretToolLookUp("fmKairoSettei.EdMailPass"), "pop-pw");
  Restart();
  ExpectTypedPasswords();
  Save();  // again, unchanged: nothing comes back to the files, nothing is lost
  Restart();
  EXPECT_EQ(PasswordsInFiles(), 0);
  ExpectTypedPasswords();
}

TEST_F(KeyringTest, PasswordsOfOldFilesAreReadAndMoveToTheKeyringOnTheNextSave) {
  Remake();  // a run without the keyring writes the files as they always were
  TypePasswords();
  Save();
  ASSERT_EQ(PasswordsInFiles(), 4);
  Restart();
  ExpectTypedPasswords();
  EXPECT_EQ(PasswordsInFiles(), 4);  // reading moves nothing
  Save();
  EXPECT_EQ(PasswordsInFiles(), 0);
  Restart();
  ExpectTypedPasswords();
}

TEST_F(KeyringTest, AClearedPasswordAndADeletedRowAreNotBroughtBack) {
  TypePasswords();
  Save();
  Restart();
  st->settei.v.pop_password.clear();
  st->settei.clicked_row = 0;
  DeleteClickedRow(st->settei);
  Save();
  // The deleted row written again by hand, without a password.
  const std::string row = test::JoinedRow({Utf8ToCp932("広場"), "taro", "", "", "", "", "on"});
  test::WriteFileBytes(DataFile("KRList.dat"),
                       row + "\r\n" + ReadFileBytes(DataFile("KRList.dat")));
  Restart();
  EXPECT_EQ(st->settei.v.pop_password, "");
  ASSERT_EQ(st->settei.rows.size(), 2u);
  EXPECT_EQ(st->settei.rows[0].password, "");
  EXPECT_EQ(st->settei.rows[1].password, kWords[1]);
  EXPECT_EQ(st->settei.v.smtp_password, kWords[3]);
}

TEST_F(KeyringTest, APasswordTheKeyringCannotTakeStaysInTheFile) {
  TypePasswords();
  const std::string odd = "pw\x81\x7f";  // not code page 932: no Unicode text gives it back
  st->settei.v.pop_password = odd;
  Save();
  EXPECT_NE(ReadFileBytes(st->registry.PathOf(kCommonKey)).find(odd), std::string::npos);
  EXPECT_EQ(PasswordsInFiles(), 0);
  Restart();
  EXPECT_EQ(st->settei.v.pop_password, odd);
  EXPECT_EQ(st->settei.v.smtp_password, kWords[3]);
}

TEST_F(KeyringTest, APortableCopyKeepsItsPasswordsInItsFiles) {
  Restart(true);
  EXPECT_FALSE(st->passwords.InKeyring());
  TypePasswords();
  Save();
  EXPECT_EQ(PasswordsInFiles(), 4);
  Restart(true);
  ExpectTypedPasswords();
}

// Run with no session bus (see tests/CMakeLists.txt).
TEST_F(PasswordFilesTest, WithoutAKeyringTheFilesKeepThePasswordsAsBefore) {
  Restart();
  EXPECT_FALSE(st->passwords.InKeyring());
  TypePasswords();
  Save();
  EXPECT_EQ(PasswordsInFiles(), 4);
  Restart();
  ExpectTypedPasswords();
}

}  // namespace
}  // namespace sorami

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // the keyring's answers come through its event loop
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
