// Receives against one real Dovecot on loopback, started once for a whole suite (POP3, or
// POP3 and IMAP over the same mailbox), with TLS and its own certificate; every test starts
// from an empty mailbox and the test account's user and password.
#pragma once

#include <QCoreApplication>

#include "mail/MailFixture.h"
#include "platform/LineSocket.h"
#include "support/Dovecot.h"

namespace sorami::test {

template <Dovecot::Imap kImap>
class DovecotSuite : public MailTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("mail_tests"), nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // the socket's loops
    const bool installed =
        kImap == Dovecot::Imap::kOn ? Dovecot::ImapInstalled() : Dovecot::Installed();
    if (installed) server_ = new Dovecot(true, kImap);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_) {
      GTEST_SKIP() << (kImap == Dovecot::Imap::kOn ? "dovecot-imapd" : "dovecot-pop3d")
                   << " is not installed (scripts/setup installs it)";
    }
    ASSERT_TRUE(server_->running()) << server_->why_not();
    server_->Clear();
    config.host = "127.0.0.1";
    config.user = Dovecot::kUser;
    config.password = Dovecot::kPassword;
    config.ca_file = server_->ca_file().string();
  }
  JushinOutcome ReceiveHere() {
    auto socket = MakeQtLineSocket({5000, 10000});
    return Receive(*socket);
  }

  static inline Dovecot* server_ = nullptr;
};

}  // namespace sorami::test
