// Receipts on the real site service for two copies sent in the same second to different
// members: each reader's receipt names the reader and confirms that reader's copy alone, a copy
// moved out of "送信箱" included; a receipt given while the service is down waits and goes with
// the reader's next fetch once the service is back.
#include <gtest/gtest.h>

#include "shell/Conversation.h"
#include "shell/SiteFetch.h"
#include "site/LiveServerFixture.h"
#include "site/Receipts.h"
#include "store/Folders.h"
#include "store/StoreOps.h"

namespace sorami {
namespace {

class LiveRetry : public test::LiveServer {
 protected:
  // A reader with a run of its own, logged in to 広場, having fetched what waits for it.
  std::unique_ptr<AppState> Reader(const std::string& tag, const char* nick, const char* pass) {
    AppPaths paths{dir / ("app-" + tag), dir / ("cfg-" + tag), false};
    auto reader = std::make_unique<AppState>(paths, MakeSodiumFileCrypto(paths.KeyFile()));
    reader->master.encrypt = false;
    reader->site.http = MakeQtHttpClient({3000, 5000});
    reader->site.directory_host = server_->address();
    SetEditKairo(reader->settei, Utf8ToCp932("広場"));
    SetEditAccount(reader->settei, Utf8ToCp932(nick));
    SetEditPassword(reader->settei, Utf8ToCp932(pass));
    EXPECT_TRUE(ExecTest(*reader, msg)) << Cp932ToUtf8(msg);
    RecordCheckedAccount(reader->settei, reader->log);
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

TEST_F(LiveRetry, SameSecondCopiesAreConfirmedByTheirOwnReaderEvenMovedAndAfterAnOutage) {
  Admin({"adduser", "広場", "さぶろう", "sabu"});
  Login("さぶろう", "sabu");
  const SiteAccount sender = st->cur;
  const int32_t to_hana = SentCopy("はなこ%広場");
  const int32_t to_taro = SentCopy("たろう");
  ASSERT_TRUE(ChangeFolder(st->store, st->log, to_taro, Utf8ToCp932("重要")));

  const auto hana = Reader("hana", "はなこ", "hana");
  EXPECT_EQ(Cp932ToUtf8(SendReadReceipt(*hana, 0)), "確認受付完了");
  EXPECT_EQ(Collect(sender), 1);
  EXPECT_NE(st->store.Get(to_hana, MastCol::kReadDate), UnreadMark());
  EXPECT_EQ(st->store.Get(to_taro, MastCol::kReadDate), UnreadMark());

  const auto taro = Reader("taro", "たろう", "taro pw%");
  const std::string address = server_->address();
  server_->Kill();
  EXPECT_NE(SendReadReceipt(*taro, 0).find("waits"), std::string::npos);
  EXPECT_FALSE(taro->receipts.Sent(taro->store, 0));
  server_ = std::make_unique<test::ServerProcess>(
      std::vector<std::string>{"--db", db_, "--listen", address}, dir / "server2.log");
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
