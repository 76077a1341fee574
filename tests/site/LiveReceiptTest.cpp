// A read receipt end to end on the real site service: the sender's host cannot be reached, so
// the reader's receipt is left with the directory server under the sender's dynamic-host key,
// and the sender's next collection stamps its sent copy; reading again sends nothing.
#include <gtest/gtest.h>

#include "shell/Conversation.h"
#include "shell/SiteFetch.h"
#include "shell/Soushin.h"
#include "site/LiveServerFixture.h"
#include "site/Receipts.h"
#include "store/Folders.h"

namespace sorami {
namespace {

using Live = test::LiveServer;

TEST_F(Live, AReceiptForAnUnreachableSenderIsDepositedAndCollectedLater) {
  Admin({"addsite", "移動", "--host", server_->address(), "--user", "idou", "--dynamic", "$idou"});
  Admin({"adduser", "移動", "じろう", "jiro"});
  SetEditKairo(st->settei, Utf8ToCp932("移動"));
  SetEditAccount(st->settei, Utf8ToCp932("じろう"));
  SetEditPassword(st->settei, "jiro");
  ASSERT_TRUE(ExecTest(*st, msg)) << Cp932ToUtf8(msg);
  const SiteAccount jiro = st->cur;
  ComposeFields f;
  f.to = Utf8ToCp932("たろう%広場");
  f.title = "t";
  f.body = "b";
  ASSERT_TRUE(SendButton(*st, {}, f).ok);
  ASSERT_EQ(st->store.CtMaster(), 1);
  EXPECT_TRUE(CheckMidokuSoushin(st->log, st->store, jiro.nickname, jiro.site));

  // The reader runs with a store and settings of its own.
  AppPaths paths{dir / "app2", dir / "cfg2", false};
  AppState reader(paths, MakeSodiumFileCrypto(paths.KeyFile()));
  reader.master.encrypt = false;
  reader.site.http = MakeQtHttpClient({3000, 5000});
  reader.site.directory_host = server_->address();
  SetEditKairo(reader.settei, Utf8ToCp932("広場"));
  SetEditAccount(reader.settei, Utf8ToCp932("たろう"));
  SetEditPassword(reader.settei, "taro pw%");
  ASSERT_TRUE(ExecTest(reader, msg)) << Cp932ToUtf8(msg);
  RecordCheckedAccount(reader.settei, reader.log);
  ASSERT_TRUE(FetchNewMessages(reader, -1).any_new);
  ASSERT_EQ(reader.store.CtMaster(), 1);
  EXPECT_EQ(reader.store.Get(0, MastCol::kDynamicHost), "$idou");
  reader.store.Set(0, MastCol::kSenderHost, "127.0.0.1:1");  // the sender's host is down
  const std::string first = SendReadReceipt(reader, 0);
  EXPECT_NE(first.find("COMMAND=FEEDBACK"), std::string::npos) << Cp932ToUtf8(first);
  EXPECT_NE(SendReadReceipt(reader, 0).find("before"), std::string::npos);  // once only

  std::string got;
  ASSERT_TRUE(GetFeedBack(st->site, st->store, jiro, got)) << Cp932ToUtf8(got);
  EXPECT_EQ(Cp932ToUtf8(got), "フィードバック取得完了 :1 件");
  EXPECT_NE(st->store.Get(0, MastCol::kReadDate), UnreadMark());
}

}  // namespace
}  // namespace sorami
