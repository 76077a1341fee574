// sorami-cli send and addresses as a user runs them, against the reference site service: one
// account sends with an attachment, the other fetches it with its relation, category and file;
// the sender's copy, its draft and its address list survive to the next run.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/DataLock.h"
#include "site/LiveServerFixture.h"
#include "support/Cli.h"

namespace sorami {
namespace {

// The shared world; taro and hana are the command line's users with たろう's and はなこ's
// accounts.
class CliSend : public test::LiveServer {
 protected:
  void SetUp() override {
    if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI is not set";
    world.AddAccount("taro", test::kTaro);
  }
  std::string Cli(const std::string& who, const std::string& args, int& status) {
    err.clear();
    return world.Cli(who, args, status, &err);
  }
  std::string err;
};

TEST_F(CliSend, OneAccountSendsWithAFileAndTheOtherFetchesIt) {
  int rc = 0;
  world.AddAccount("hana", test::kHanako);
  test::WriteFileBytes(dir / "memo.txt", "attached bytes\r\n");
  test::WriteFileBytes(dir / "body.txt", "一行目\n二行目\n");

  std::string out =
      Cli("taro",
          "send --to 'はなこ' --title '会議' --body-file '" + (dir / "body.txt").string() +
              "' --kankei 家族 --shubetsu 挨拶" + " --attach '" + (dir / "memo.txt").string() + "'",
          rc);
  ASSERT_EQ(rc, 0) << err << out;
  EXPECT_NE(out.find("送信完了"), std::string::npos) << out;
  Cli("taro", "send --to 'じろう' --title '下書き' --body x --draft", rc);
  EXPECT_EQ(rc, 0) << err;
  Cli("taro", "send --to '' --title t --body x", rc);  // no recipient: a failure, nothing filed
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("送信失敗 : 宛先エラー"), std::string::npos) << err;
  Cli("taro", "send --to a --title t --body x --kankei 友達", rc);
  EXPECT_EQ(rc, 2);  // not a relation of the table

  out = Cli("taro", "list 送信箱", rc);
  EXPECT_NE(out.find("会議"), std::string::npos) << out;
  out = Cli("taro", "list 草稿", rc);
  EXPECT_NE(out.find("下書き"), std::string::npos) << out;
  out = Cli("taro", "master stats", rc);  // the failed send left no row behind
  EXPECT_NE(out.find("\"count\": 2, \"folders\": {\"送信箱\": 1, \"草稿\": 1}"), std::string::npos)
      << out;
  out = Cli("taro", "addresses", rc);
  EXPECT_EQ(out, "{\"name\":\"(noname)\",\"address\":\"はなこ\",\"relation\":\"家族\"}\n");

  Cli("hana", "fetch", rc);
  ASSERT_EQ(rc, 0) << err;
  out = Cli("hana", "master dump", rc);
  for (const char* part : {"\"会議\"", "\"一行目\\u000c\\u000b二行目\\u000c\\u000b\"", "\"家族\"",
                           "\"挨拶\"", "\"たろう\"", "memo"}) {
    EXPECT_NE(out.find(part), std::string::npos) << part << " in " << out;
  }
}

TEST_F(CliSend, AWriterWaitsForTheOneHoldingTheDataDirectoryAndReadersDoNot) {
  int rc = 0;
  {
    const auto held = LockDataDir(world.AppDir("taro") / "Data", 0);  // another writer
    ASSERT_TRUE(held);
    Cli("taro", "send --to はなこ --title t --body x", rc);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(err.find("データフォルダは他のプログラムが更新中です"), std::string::npos) << err;
    Cli("taro", "addresses", rc);  // a reader goes on
    EXPECT_EQ(rc, 0) << err;
  }
  Cli("taro", "send --to はなこ --title t --body x", rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_NE(Cli("taro", "master stats", rc).find("\"count\": 1,"), std::string::npos);
}

TEST_F(CliSend, AConversationWithReceiptReplyAndClaim) {
  int rc = 0;
  world.AddAccount("hana", test::kHanako);
  Cli("taro", "send --to はなこ --title 会議 --body '一行目\n二行目'", rc);
  ASSERT_EQ(rc, 0) << err;
  Cli("taro", "fetch", rc);  // nothing read yet: the copy still waits
  EXPECT_NE(Cli("taro", "master dump", rc).find("\"(未読)\""), std::string::npos);

  Cli("hana", "fetch", rc);
  std::string out = Cli("hana", "read 0", rc);
  ASSERT_EQ(rc, 0) << err;
  EXPECT_NE(out.find("既読 : "), std::string::npos) << out;
  Cli("hana", "move 0 受信箱", rc);  // back to the unread inbox: no second receipt
  out = Cli("hana", "read 0", rc);
  EXPECT_NE(out.find("receipt sent before"), std::string::npos) << out;

  out = Cli("taro", "fetch", rc);
  EXPECT_NE(out.find("新着メッセージ無し"), std::string::npos) << out;
  out = Cli("taro", "master dump", rc);
  EXPECT_EQ(out.find("\"(未読)\""), std::string::npos) << out;  // confirmed by the receipt

  out = Cli("hana", "reply 0", rc);
  EXPECT_NE(out.find("\"to\":\"たろう%広場\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"title\":\"Re: 会議\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"body\":\">一行目\\r\\n>二行目\""), std::string::npos) << out;
  Cli("hana", "reply 0 --send", rc);
  EXPECT_EQ(rc, 0) << err;
  Cli("taro", "fetch", rc);
  EXPECT_NE(Cli("taro", "list 受信箱", rc).find("Re: 会議"), std::string::npos);

  out = Cli("hana", "claim 0", rc);  // nothing ticked: nothing is sent
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("不正指定　未チェック"), std::string::npos) << err;
  out = Cli("hana", "claim 0 --shubetsu --comment 'not a greeting'", rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_NE(out.find("報告完了"), std::string::npos) << out;
  const auto claims = world.Admin({"claims"});
  for (const char* field : {"COMMAND=CLAIM", "FROMNAME=たろう", "TITLE=会議", "KANKEI=知人",
                            "CLAIM=\x0C\x08種別不正", "COMMENT=not a greeting"}) {
    EXPECT_NE(claims.out.find(field), std::string::npos) << field << " in " << claims.out;
  }
}

}  // namespace
}  // namespace sorami
