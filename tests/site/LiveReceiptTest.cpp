// A read receipt end to end on the real site service: the sender's host cannot be reached, so
// the reader's receipt is left with the directory server under the sender's dynamic-host key,
// and the sender's next collection stamps its sent copy; reading again sends nothing. A send
// whose answer never came is confirmed the same way. Two copies sent in the same second to
// different members are each confirmed by their own reader alone, a copy moved out of "送信箱"
// included; a receipt given while the service is down goes with the reader's next fetch.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "shell/Conversation.h"
#include "shell/SiteFetch.h"
#include "shell/Soushin.h"
#include "site/LiveServerFixture.h"
#include "site/Receipts.h"
#include "store/Folders.h"
#include "store/StoreOps.h"

namespace sorami {
namespace {

class Live : public test::LiveServer {
 protected:
  // The reader: a run with a store and settings of its own, logged in to 広場 and having
  // fetched what waits for it.
  std::unique_ptr<AppState> FetchingReader(const test::Member& m, const std::string& tag = "2") {
    AppPaths paths{dir / ("app" + tag), dir / ("cfg" + tag), false};
    auto reader = std::make_unique<AppState>(paths, MakeSodiumFileCrypto(paths.KeyFile()));
    reader->master.encrypt = false;
    UseService(*reader);
    Login(m, reader.get());
    EXPECT_TRUE(FetchNewMessages(*reader, -1).any_new);
    return reader;
  }
  // The sender's copy of a message sent to `to` at kDate, as a send files it.
  int32_t SentCopy(const char* to) {
    EXPECT_TRUE(Send(to, "t", "b", kDate)) << Cp932ToUtf8(msg);
    const std::string unread = UnreadMark(), addressed = Utf8ToCp932(to);
    std::array<std::string_view, TArMastData::kColumns> cols{};
    cols[ColIndex(MastCol::kDate)] = kDate;
    cols[ColIndex(MastCol::kSendDate)] = kDate;
    cols[ColIndex(MastCol::kTo)] = addressed;
    cols[ColIndex(MastCol::kFolder)] = FolderName(Folder::kSent);
    cols[ColIndex(MastCol::kReadDate)] = unread;
    cols[ColIndex(MastCol::kSender)] = st->cur.nickname;
    cols[ColIndex(MastCol::kSenderSite)] = st->cur.site;
    return st->store.Append(cols);
  }
  int Collect(const SiteAccount& sender) {
    std::string got;
    GetFeedBack(st->site, st->store, sender, got);
    int count = 0;
    for (int32_t r = 0; r < st->store.CtMaster(); ++r) {
      count += st->store.Get(r, MastCol::kReadDate) != UnreadMark();
    }
    return count;
  }
  static constexpr const char* kDate = "2026/04/01 12:00:00";
};

TEST_F(Live, AReceiptForAnUnreachableSenderIsDepositedAndCollectedLater) {
  Login(test::kJiro);  // 別館 lives behind a dynamic-host key
  const SiteAccount jiro = st->cur;
  ComposeFields f;
  f.to = Utf8ToCp932("たろう%広場");
  f.title = "t";
  f.body = "b";
  ASSERT_TRUE(SendButton(*st, {}, f).ok);
  ASSERT_EQ(st->store.CtMaster(), 1);
  EXPECT_TRUE(CheckMidokuSoushin(st->log, st->store, jiro.nickname, jiro.site));

  const std::unique_ptr<AppState> fetched = FetchingReader(test::kTaro);
  AppState& reader = *fetched;
  ASSERT_EQ(reader.store.CtMaster(), 1);
  EXPECT_EQ(reader.store.Get(0, MastCol::kDynamicHost), "DYN$bekkan");
  reader.store.Set(0, MastCol::kSenderHost, "127.0.0.1:1");  // the sender's host is down
  const std::string first = SendReadReceipt(reader, 0);
  EXPECT_NE(first.find("COMMAND=FEEDBACK"), std::string::npos) << Cp932ToUtf8(first);
  EXPECT_NE(SendReadReceipt(reader, 0).find("before"), std::string::npos);  // once only

  std::string got;
  ASSERT_TRUE(GetFeedBack(st->site, st->store, jiro, got)) << Cp932ToUtf8(got);
  EXPECT_EQ(Cp932ToUtf8(got), "フィードバック取得完了 :1 件");
  EXPECT_NE(st->store.Get(0, MastCol::kReadDate), UnreadMark());
}

// The service takes a send and hangs before it answers; the sender gives up, files the copy as
// "(結果不明)" and keeps the window open. Once the service wakes, the message arrives once, and
// the reader's receipt confirms the copy as it would an unread one.
TEST_F(Live, ASendWithoutAnAnswerIsFiledAsUnknownArrivesOnceAndItsReceiptConfirmsIt) {
  Login(test::kTaro);
  const SiteAccount taro = st->cur;
  st->site.http = MakeQtHttpClient({3000, 1000});
  ComposeFields f;
  f.to = Utf8ToCp932("はなこ");
  f.title = "t";
  f.body = "b";
  world.server->Pause();  // the kernel still takes the connection and the request's bytes
  const SendReport r = SendButton(*st, {}, f);
  world.server->Resume();
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.unknown);
  EXPECT_FALSE(r.close_window);
  EXPECT_EQ(Cp932ToUtf8(r.msg), "送信結果不明 : 送信後に応答がありません (接続エラー)");
  ASSERT_EQ(st->store.CtMaster(), 1);
  EXPECT_EQ(st->store.Get(0, MastCol::kFolder), FolderName(Folder::kSent));
  EXPECT_EQ(st->store.Get(0, MastCol::kReadDate), UnknownResultMark());
  EXPECT_NE(st->aclog.lines().back().find("SEND ??"), std::string::npos);

  // The woken service handles the request it was holding (its log line ends the wait).
  bool handled = false;
  for (int i = 0; i < 400 && !(handled = world.Logged(" SENDWIN ") > 0); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_TRUE(handled);

  const std::unique_ptr<AppState> fetched = FetchingReader(test::kHanako);
  AppState& reader = *fetched;
  EXPECT_EQ(reader.store.CtMaster(), 1);  // once
  EXPECT_EQ(reader.store.Get(0, MastCol::kTitle), "t");
  const std::string receipt = SendReadReceipt(reader, 0);
  EXPECT_EQ(Cp932ToUtf8(receipt), "確認受付完了");

  std::string got;
  ASSERT_TRUE(GetFeedBack(st->site, st->store, taro, got)) << Cp932ToUtf8(got);
  EXPECT_EQ(Cp932ToUtf8(got), "フィードバック取得完了 :1 件");
  EXPECT_NE(st->store.Get(0, MastCol::kReadDate), UnknownResultMark());
  EXPECT_NE(st->store.Get(0, MastCol::kReadDate), UnreadMark());
}

TEST_F(Live, SameSecondCopiesAreConfirmedByTheirOwnReaderEvenMovedAndAfterAnOutage) {
  world.Admin({"adduser", "広場", "さぶろう", "sabu"});
  Login({"広場", "さぶろう", "sabu", ""});
  const SiteAccount sender = st->cur;
  const int32_t to_hana = SentCopy("はなこ%広場");
  const int32_t to_taro = SentCopy("たろう");
  ASSERT_TRUE(ChangeFolder(st->store, st->log, to_taro, Utf8ToCp932("重要")));

  const auto hana = FetchingReader(test::kHanako, "-hana");
  EXPECT_EQ(Cp932ToUtf8(SendReadReceipt(*hana, 0)), "確認受付完了");
  EXPECT_EQ(Collect(sender), 1);
  EXPECT_NE(st->store.Get(to_hana, MastCol::kReadDate), UnreadMark());
  EXPECT_EQ(st->store.Get(to_taro, MastCol::kReadDate), UnreadMark());

  const auto taro = FetchingReader(test::kTaro, "-taro");
  const std::string address = world.address();
  world.server->Kill();
  EXPECT_NE(SendReadReceipt(*taro, 0).find("waits"), std::string::npos);
  EXPECT_FALSE(taro->receipts.Sent(taro->store, 0));
  world.server = world.Serve(address, "server2.log");
  EXPECT_EQ(Collect(sender), 1);  // nothing came while the receipt waited

  FetchNewMessages(*taro, -1);  // the waiting receipt goes first
  EXPECT_TRUE(taro->receipts.Sent(taro->store, 0));
  EXPECT_TRUE(taro->receipts.Waiting().empty());
  EXPECT_EQ(Collect(sender), 2);
  EXPECT_NE(st->store.Get(to_taro, MastCol::kReadDate), UnreadMark());
  EXPECT_EQ(st->store.Get(to_taro, MastCol::kFolder), Utf8ToCp932("重要"));
}

}  // namespace
}  // namespace sorami
