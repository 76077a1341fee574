#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/IniStore.h"
#include "support/Cli.h"
#include "support/Dovecot.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using namespace test;

// "mail receive" and "mail log" take the mailbox from the stored settings; port 110 of the
// box's list, where nothing listens on this machine's loopback, refuses the connection.
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
  EXPECT_NE(err.find("サーバーが接続を拒否しました"), std::string::npos);

  const std::string log = RunCli("mail log", app.path(), config.path(), status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(log.find(" POP  NG%taro"), std::string::npos) << log;
  EXPECT_NE(log.find("127.0.0.1110 サーバーが接続を拒否しました"), std::string::npos) << log;

  ini.WriteString("Setting", "fmKairoSettei.EdPop", "");
  ASSERT_TRUE(ini.Save());
  const std::string no_host = RunCli("mail receive", app.path(), config.path(), status);
  EXPECT_EQ(no_host, "HOST 指定なし\nHOST 指定なし\n{\"stored\": 0, \"deleted\": 0}\n");
}

}  // namespace
}  // namespace sorami
