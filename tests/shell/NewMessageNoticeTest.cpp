#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "shell/NewMessageNotice.h"
#include "store/Folders.h"

namespace sorami {
namespace {

void Add(TArMastd& store, std::string_view folder, std::string_view sender, std::string_view title,
         std::string_view read_date = "") {
  const std::string cp[] = {Utf8ToCp932(folder), Utf8ToCp932(sender), Utf8ToCp932(title)};
  std::array<std::string_view, TArMastData::kColumns> cols{};
  cols[ColIndex(MastCol::kFolder)] = cp[0];
  cols[ColIndex(MastCol::kSender)] = cp[1];
  cols[ColIndex(MastCol::kTitle)] = cp[2];
  cols[ColIndex(MastCol::kReadDate)] = read_date;
  store.Append(cols);
}

TEST(NewMessageNotice, CountsTheInboxRecordsAddedSinceTheMarkAndNamesTheFirst) {
  TArMastd store;
  Add(store, "受信箱", "前からいた人", "古い");  // held before the exchange
  const int32_t mark = store.CtMaster();
  Add(store, "送信箱", "わたし", "控え");  // not a message that came
  Add(store, "受信箱", "はなこ", "こんにちは");
  Add(store, "受信箱", "たろう", "おはよう");

  const auto notice = NoticeOfNew(store, mark, true);
  ASSERT_TRUE(notice.has_value());
  EXPECT_EQ(notice->count, 2);
  EXPECT_EQ(Cp932ToUtf8(notice->summary), "新着メッセージ 2 件");
  EXPECT_EQ(Cp932ToUtf8(notice->body), "はなこ\nこんにちは");

  EXPECT_EQ(Cp932ToUtf8(NoticeOfNew(store, mark + 2, true)->body), "たろう\nおはよう");

  // Nothing new, notices switched off, or a store read anew with fewer records: no notice.
  EXPECT_FALSE(NoticeOfNew(store, store.CtMaster(), true).has_value());
  EXPECT_FALSE(NoticeOfNew(store, mark, false).has_value());
  EXPECT_FALSE(NoticeOfNew(store, store.CtMaster() + 5, true).has_value());
}

TEST(NewMessageNotice, UnreadCountsOnlyUnreadInboxRecords) {
  TArMastd store;
  EXPECT_EQ(UnreadInInbox(store), 0);
  Add(store, "受信箱", "a", "1", UnreadMark());
  Add(store, "受信箱", "b", "2", "2030/01/02 03:04:05");
  Add(store, "重要", "c", "3", UnreadMark());
  Add(store, "受信箱", "d", "4", UnreadMark());
  Add(store, "受信箱", "e", "5");  // a site message as it comes
  EXPECT_EQ(UnreadInInbox(store), 3);
}

}  // namespace
}  // namespace sorami
