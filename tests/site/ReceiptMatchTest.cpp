// Which sent copies a receipt confirms (its reader, any folder, never a received message or a
// draft), and a receipt that could not be given: kept on disk, given by the next try, dropped
// when refused.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "site/FakeHttp.h"
#include "site/Receipts.h"
#include "store/Folders.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class ReceiptMatch : public test::FakeSiteTest {
 protected:
  int32_t Copy(const std::string& to, const std::string& folder = FolderName(Folder::kSent),
               const std::string& host = "", const std::string& send_date = "") {
    std::array<std::string_view, TArMastData::kColumns> cols{};
    const std::string unread = UnreadMark();
    cols[ColIndex(MastCol::kDate)] = "2026/03/01 10:00:00";
    cols[ColIndex(MastCol::kTo)] = to;
    cols[ColIndex(MastCol::kFolder)] = folder;
    cols[ColIndex(MastCol::kReadDate)] = unread;
    cols[ColIndex(MastCol::kSender)] = "me";
    cols[ColIndex(MastCol::kSenderSite)] = "s";
    cols[ColIndex(MastCol::kSenderHost)] = host;
    cols[ColIndex(MastCol::kSendDate)] = send_date;
    return st->store.Append(cols);
  }
  std::string ReadDate(int32_t row) { return std::string(st->store.Get(row, MastCol::kReadDate)); }
  int Apply(const std::string& lines) {
    int count = 0;
    SetFeedBack(st->log, st->store, lines, count);
    return count;
  }
  static constexpr const char* kLine = "1\t2026/03/01 10:00:00\t2026/03/02 09:00:00\tFEEDBACK";
};

TEST_F(ReceiptMatch, ANamedReaderConfirmsOnlyItsOwnCopiesInAnyFolder) {
  const int32_t taro = Copy("taro%s/9");
  const int32_t hana = Copy("x%t,hana", J("重要"));         // moved, hana on the own site
  const int32_t filed = Copy(J("ｚ%t,hana%s"), J("友達"));  // a user folder
  const int32_t received = Copy("hana", FolderName(Folder::kInbox), "h:1");  // not a copy
  const int32_t draft = Copy("hana", FolderName(Folder::kDraft), "", J("(未送信)"));
  EXPECT_EQ(Apply(std::string(kLine) + "\thana%s\r\n"), 2);
  EXPECT_EQ(ReadDate(taro), UnreadMark());
  EXPECT_EQ(ReadDate(hana), "2026/03/02 09:00:00");
  EXPECT_EQ(ReadDate(filed), "2026/03/02 09:00:00");
  EXPECT_EQ(ReadDate(received), UnreadMark());
  EXPECT_EQ(ReadDate(draft), UnreadMark());
  // A reader without a copy confirms nothing; a line without a reader keeps the date rule.
  EXPECT_EQ(Apply(std::string(kLine) + "\tjiro%s\r\n"), 0);
  EXPECT_EQ(Apply(std::string(kLine) + "\r\n"), 1);
  EXPECT_EQ(ReadDate(taro), "2026/03/02 09:00:00");
}

class ReceiptRetry : public test::FakeSiteTest {
 protected:
  ReceiptRetry() {
    std::array<std::string_view, TArMastData::kColumns> cols{};
    cols[ColIndex(MastCol::kSender)] = "taro";
    cols[ColIndex(MastCol::kDate)] = "2026/01/01 00:00:00";
    cols[ColIndex(MastCol::kSenderHost)] = "th:2";
    for (const char* number : {"77", "78"}) {
      cols[ColIndex(MastCol::kServerNo)] = number;
      st->store.Append(cols);
    }
  }
  SiteAccount reader{"site", "hana", "", "hh:3", "hsys", ""};
  std::filesystem::path ledger_file = dir / "data" / "Receipted.dat";
};

TEST_F(ReceiptRetry, AReceiptNotGivenWaitsOnDiskAndGoesAtTheNextTryUnlessRefused) {
  ReceiptLedger ledger(ledger_file);
  http->Fail();
  EXPECT_NE(SendReadReceiptAs(st->site, reader, st->store, ledger, 0).find("waits"),
            std::string::npos);
  EXPECT_FALSE(ledger.Sent(st->store, 0));

  ReceiptLedger after_restart(ledger_file);
  ASSERT_EQ(after_restart.Waiting().size(), 1u);
  http->Fail();  // still down: it keeps waiting
  EXPECT_EQ(SendWaitingReceipts(st->site, after_restart), 0);
  http->Answer("x\tOK(PGM)\r\nFEEDBACK\tOK(PGM)ok\r\n");
  EXPECT_EQ(SendWaitingReceipts(st->site, after_restart), 1);
  ASSERT_EQ(http->sent.size(), 3u);
  EXPECT_EQ(http->sent[2].body, http->sent[0].body);  // the same request, from the file
  EXPECT_TRUE(after_restart.Sent(st->store, 0));
  EXPECT_TRUE(ReceiptLedger(ledger_file).Waiting().empty());
  EXPECT_EQ(SendReadReceiptAs(st->site, reader, st->store, after_restart, 0).substr(0, 21),
            "receipt sent before: ");

  // One the service refuses is dropped, not tried again.
  http->Fail();
  SendReadReceiptAs(st->site, reader, st->store, after_restart, 1);
  http->Answer("x\tNG " + J("該当するメッセージがありません"));
  EXPECT_EQ(SendWaitingReceipts(st->site, after_restart), 0);
  EXPECT_TRUE(after_restart.Waiting().empty());
  EXPECT_FALSE(after_restart.Sent(st->store, 1));
  EXPECT_EQ(SendWaitingReceipts(st->site, after_restart), 0);
  EXPECT_EQ(http->sent.size(), 5u);
}

}  // namespace
}  // namespace sorami
