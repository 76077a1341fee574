// "sorami-cli mail receive" against a real Dovecot, with the settings a user types on the mail
// page: a port not in the list, "SSL/TLS" and the server's own certificate file.
#include <gtest/gtest.h>

#include "platform/IniStore.h"
#include "support/Cli.h"
#include "support/Dovecot.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using namespace test;

TEST(CliReceive, TheStoredPortSecurityAndCertificateReachTheServer) {
  if (!HaveCli()) GTEST_SKIP() << "SORAMI_CLI names no sorami-cli";
  if (!Dovecot::Installed()) GTEST_SKIP() << "dovecot-pop3d is not installed";
  Dovecot server(true);
  ASSERT_TRUE(server.running()) << server.why_not();
  server.AddMail("Subject: one\nMessage-Id: <1@x>\n\nfirst\n");
  server.AddMail("Subject: two\nMessage-Id: <2@x>\n\nsecond\n");
  ScratchDir app, config;
  IniStore ini = Registry(config.path()).Open(kCommonKey);
  ini.WriteString("Setting", "fmKairoSettei.EdPop", "127.0.0.1");
  ini.WriteString("Setting", "fmKairoSettei.EdPopUser", Dovecot::kUser);
  ini.WriteString("Setting", "fmKairoSettei.EdMailPass", Dovecot::kPassword);
  ini.WriteString("Setting", "fmKairoSettei.PopPort", std::to_string(server.pop3s_port()));
  ini.WriteInteger("Setting", "fmKairoSettei.CbPopTls", 3);  // "SSL/TLS"
  ini.WriteBool("Setting", "fmKairoSettei.CkNokosu", true);
  ASSERT_TRUE(ini.Save());

  int status = 0;
  std::string err;
  RunCli("mail receive", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 1);  // the self-signed certificate is not trusted yet
  EXPECT_EQ(server.MailCount(), 2u);

  ini.WriteString("Setting", "fmKairoSettei.TlsCaFile", server.ca_file().string());
  ASSERT_TRUE(ini.Save());
  std::string out = RunCli("mail receive", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 0) << err << out;
  EXPECT_NE(out.find("{\"stored\": 2, \"deleted\": 0}"), std::string::npos) << out;
  out = RunCli("mail receive", app.path(), config.path(), status, &err);  // left on the server
  EXPECT_NE(out.find("{\"stored\": 0, \"deleted\": 0}"), std::string::npos) << out;
  out = RunCli("list 受信箱", app.path(), config.path(), status, &err);
  EXPECT_NE(out.find("\"two\", \"20"), std::string::npos) << out;  // with its date
}

}  // namespace
}  // namespace sorami
