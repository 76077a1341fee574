#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/Folders.h"
#include "store/StoreFixture.h"
#include "store/StoreOps.h"
namespace sorami {
namespace {

class Ops : public test::StoreTest {
 protected:
  std::string Folder(int32_t row) { return Cp932ToUtf8(st->store.Get(row, MastCol::kFolder)); }
};

TEST_F(Ops, AnErasedRecordNoLongerCountsAsFetchedAndBadRowsFail) {
  const int32_t a = Add("to", "a", "受信箱", "body", "2026/01/01 00:00:00", "x");
  const int32_t b = Add("to", "b", "受信箱");
  ASSERT_TRUE(SakujoMessage(st->store, st->log, {b, a}, msg));
  ASSERT_TRUE(SakujoMessage(st->store, st->log, {a}, msg));  // in the wastebasket: erased
  EXPECT_EQ(Folder(a), "削除済み");
  EXPECT_EQ(st->store.Get(a, MastCol::kNumber), "");
  MastFields f;
  f[MastCol::kDate] = "2026/01/01 00:00:00";
  f[MastCol::kSender] = "x";
  EXPECT_FALSE(
      ExistsMaster(st->store, st->log, f));  // the erased record no longer counts as fetched

  EXPECT_FALSE(SakujoMessage(st->store, st->log, {}, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "削除失敗");
  EXPECT_FALSE(SakujoMessage(st->store, st->log, {99}, msg));  // not a record: logged and skipped
}

TEST_F(Ops, MarkingReadOnceSendsAReceiptForSiteMessagesOnly) {
  const int32_t site = Add("", "s", "受信箱");
  const int32_t mail = Add("", "m", "受信箱");
  st->store.Set(mail, MastCol::kCategory, MailCategory());
  st->store.Set(mail, MastCol::kReadDate, UnreadMark());
  std::vector<int32_t> receipts;
  FeedbackHook hook = [&](int32_t row) {
    receipts.push_back(row);
    return std::string("sent");
  };
  EXPECT_TRUE(SetKakuninbi(st->store, st->log, site, "2026/02/03 04:05:06", hook));
  EXPECT_FALSE(
      SetKakuninbi(st->store, st->log, site, "2026/02/03 09:09:09", hook));  // already read
  EXPECT_EQ(st->store.Get(site, MastCol::kReadDate), "2026/02/03 04:05:06");
  EXPECT_TRUE(SetKakuninbi(st->store, st->log, mail, "2026/02/03 04:05:07", hook));
  EXPECT_EQ(receipts, std::vector<int32_t>{site});
}

}  // namespace
}  // namespace sorami
