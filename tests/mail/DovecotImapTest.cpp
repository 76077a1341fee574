// The IMAP receive against a real Dovecot on loopback: plain, STARTTLS and TLS from the first
// byte, a wrong password, mail left on the server (never stored twice, never marked seen),
// delete mode and a folder the server renumbered.
#include <gtest/gtest.h>

#include "mail/DovecotSuite.h"
#include "mail/ReceiveSettings.h"
#include "support/Cli.h"
#include "support/Dovecot.h"

namespace sorami {
namespace {

using namespace test;
namespace fs = std::filesystem;

class DovecotImapTest : public DovecotSuite<Dovecot::Imap::kOn> {
 protected:
  void SetUp() override {
    DovecotSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    config.protocol = MailProtocol::kImap;
    config.port = server_->imap_port();
    config.security = MailSecurity::kNone;
  }
  // The Maildir flags of every mail ("" for a mail still in new/).
  static std::vector<std::string> Flags() {
    std::vector<std::string> out;
    for (const char* sub : {"new", "cur"}) {
      for (const auto& e : fs::directory_iterator(server_->maildir() / sub)) {
        const std::string name = e.path().filename().string();
        const size_t info = name.find(":2,");
        out.push_back(info == std::string::npos ? "" : name.substr(info + 3));
      }
    }
    return out;
  }
};

TEST_F(DovecotImapTest, PlainStartTlsAndImplicitTlsEachReceive) {
  struct Case {
    const char* name;
    MailSecurity security;
    bool imaps;
    bool tls;
  } cases[] = {{"plain", MailSecurity::kNone, false, false},
               {"STARTTLS offered", MailSecurity::kAuto, false, true},
               {"TLS from the first byte", MailSecurity::kTls, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_->AddMail(Mail(c.name, "body\n", std::string("<") + c.name + "@x>"));
    config.security = c.security;
    config.port = c.imaps ? server_->imaps_port() : server_->imap_port();
    const int before = store.CtMaster();
    const JushinOutcome out = ReceiveHere();
    EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
    EXPECT_EQ(out.stored, 1);
    EXPECT_EQ(out.deleted, 1);
    EXPECT_EQ(server_->LastLoginUsedTls(), c.tls);
    ASSERT_EQ(store.CtMaster(), before + 1);
    EXPECT_EQ(Col(before, MastCol::kTitle), c.name);
  }
  EXPECT_EQ(server_->MailCount(), 0u);
}

TEST_F(DovecotImapTest, AWrongPasswordIsAClearFailure) {
  server_->AddMail(Mail("one", "1\n"));
  config.password = "wrong";
  const JushinOutcome out = ReceiveHere();
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.label, "ホスト・エラー"_cp932);
  EXPECT_TRUE(out.status.starts_with("ログインできません"_cp932)) << Cp932ToUtf8(out.status);
  EXPECT_EQ(server_->MailCount(), 1u);
}

TEST_F(DovecotImapTest, MailLeftOnTheServerIsStoredOnceAndNeverMarkedSeen) {
  for (const char* s : {"one", "two", "three"}) {
    server_->AddMail(Mail(s, std::string(s) + "\n", std::string("<") + s + "@x>"));
  }
  config.leave_on_server = true;
  const JushinOutcome first = ReceiveHere();
  EXPECT_TRUE(first.ok) << Cp932ToUtf8(first.status);
  EXPECT_EQ(first.stored, 3);
  const JushinOutcome second = ReceiveHere();
  EXPECT_TRUE(second.ok) << Cp932ToUtf8(second.status);
  EXPECT_EQ(second.stored, 0);
  EXPECT_EQ(second.known, 3);
  EXPECT_EQ(SavedRecords(), 3);
  EXPECT_EQ(server_->MailCount(), 3u);
  for (const std::string& flags : Flags()) EXPECT_EQ(flags.find('S'), std::string::npos) << flags;
}

TEST_F(DovecotImapTest, ARenumberedFolderStoresNothingTwiceAndDeletesOnlyWhatIsProven) {
  server_->AddMail(Mail("same", "1\n", "<same@x>"));
  server_->AddMail(Mail("rewritten", "2\n", "<rewritten@x>"));
  config.leave_on_server = true;
  ASSERT_EQ(ReceiveHere().stored, 2);

  // The server forgets its UIDs (a new UIDVALIDITY); one mail comes back with other bytes
  // but its Message-Id and Date, and a new mail arrives.
  for (const auto& e : fs::directory_iterator(server_->maildir())) {
    const std::string name = e.path().filename().string();
    if (name == "dovecot-uidlist" || name.starts_with("dovecot.index") ||
        name.starts_with("dovecot.list.index")) {
      fs::remove(e.path());
    }
  }
  for (const char* sub : {"new", "cur"}) {
    for (const auto& e : fs::directory_iterator(server_->maildir() / sub)) {
      if (ReadFileBytes(e.path()).find("<rewritten@x>") != std::string::npos) fs::remove(e.path());
    }
  }
  server_->AddMail("X-Moved: yes\n" + Mail("rewritten", "2\n", "<rewritten@x>"));
  server_->AddMail(Mail("new", "3\n", "<new@x>"));

  config.leave_on_server = false;
  const JushinOutcome out = ReceiveHere();
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_EQ(out.stored, 1);
  EXPECT_EQ(out.known, 2);
  EXPECT_EQ(out.deleted, 2);  // "same" (same bytes) and "new"
  EXPECT_EQ(SavedRecords(), 3);
  ASSERT_EQ(server_->MailCount(), 1u);  // "rewritten" is not proven stored: it stays

  // It stays known: a later receive neither stores nor deletes it.
  const JushinOutcome later = ReceiveHere();
  EXPECT_EQ(later.stored, 0);
  EXPECT_EQ(later.known, 1);
  EXPECT_EQ(server_->MailCount(), 1u);
}

// "sorami-cli mail receive" reads by the protocol the settings name.
TEST_F(DovecotImapTest, TheCommandLineReceivesByImapWhenTheSettingsSaySo) {
  if (!HaveCli()) GTEST_SKIP() << "SORAMI_CLI names no sorami-cli";
  server_->AddMail(Mail("one", "1\n", "<1@x>"));
  ScratchDir app, cfg;
  WriteReceiveSettings(cfg.path(), *server_, server_->imap_port(), 1, true);  // "なし", IMAP
  int status = 0;
  std::string err;
  const std::string out = RunCli("mail receive", app.path(), cfg.path(), status, &err);
  EXPECT_EQ(status, 0) << err << out;
  EXPECT_NE(out.find("{\"stored\": 1, \"deleted\": 0}"), std::string::npos) << out;
  EXPECT_NE(RunCli("mail log", app.path(), cfg.path(), status).find(" IMAP OK"), std::string::npos);
}

}  // namespace
}  // namespace sorami
