// "sorami-cli mail receive" and "mail log" with the settings a user types on the mail page.
#include <gtest/gtest.h>

#include "mail/ReceiveSettings.h"
#include "platform/Codepage.h"
#include "support/Cli.h"
#include "support/Dovecot.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using namespace test;

// Port 110 of the box's list, where nothing listens on this machine's loopback, refuses the
// connection.
TEST(CliMail, ReceiveAndLogTellWhyTheReceiveFailedAndStoreNothing) {
  if (!HaveCli()) GTEST_SKIP() << "SORAMI_CLI names no sorami-cli";
  ScratchDir app, config;
  IniStore ini = Registry(config.path()).Open(kCommonKey);
  ini.WriteString("Setting", "fmKairoSettei.EdPop", "127.0.0.1");
  ini.WriteString("Setting", "fmKairoSettei.EdPopUser", "taro");
  ini.WriteInteger("Setting", "fmKairoSettei.CbPop", 0);
  ASSERT_TRUE(ini.Save());

  int status = 0;
  std::string err;
  const std::string out = RunCli("mail receive", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out,
            "接続中... \nホスト・エラー\nサーバーが接続を拒否しました (Connection refused)\n"
            "{\"stored\": 0, \"deleted\": 0}\n")
      << err;
  const std::string log = RunCli("mail log", app.path(), config.path(), status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(log.find(" POP  NG%taro"), std::string::npos) << log;
  EXPECT_NE(log.find("127.0.0.1110 サーバーが接続を拒否しました"), std::string::npos) << log;
}

// A port not in the list, "SSL/TLS" and the server's own certificate file reach Dovecot.
TEST(CliMail, TheStoredPortSecurityAndCertificateReachTheServer) {
  if (!HaveCli()) GTEST_SKIP() << "SORAMI_CLI names no sorami-cli";
  if (!Dovecot::Installed()) GTEST_SKIP() << "dovecot-pop3d is not installed";
  Dovecot server(true);
  ASSERT_TRUE(server.running()) << server.why_not();
  server.AddMail("Subject: one\nMessage-Id: <1@x>\n\nfirst\n");
  server.AddMail("Subject: two\nMessage-Id: <2@x>\n\nsecond\n");
  ScratchDir app, config;
  WriteReceiveSettings(config.path(), server, server.pop3s_port(), 3);  // "SSL/TLS"

  int status = 0;
  std::string err;
  std::string out = RunCli("mail receive", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 0) << err << out;
  EXPECT_NE(out.find("{\"stored\": 2, \"deleted\": 0}"), std::string::npos) << out;
  EXPECT_EQ(server.MailCount(), 2u);
  out = RunCli("list 受信箱", app.path(), config.path(), status, &err);
  EXPECT_NE(out.find("\"two\", \"20"), std::string::npos) << out;  // with its date
}

}  // namespace
}  // namespace sorami
