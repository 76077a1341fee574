// Read receipts and the claim report against scripted answers: who waits, which lines confirm
// which sent copies, the requests' fields, the deposit when the sender's host is down, the
// ledger that keeps a message from being receipted twice, and the claim's answer rule. Which
// copies a named reader confirms (any folder, never a received message or a draft), and a
// receipt that could not be given: kept on disk, given by the next try, dropped when refused.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "site/Claim.h"
#include "site/Receipts.h"
#include "store/Folders.h"
#include "support/FakeHttp.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class ReceiptStore : public test::FakeSiteTest {
 protected:
  // Appends a record of the given columns, the others empty.
  int32_t Row(std::initializer_list<std::pair<MastCol, std::string>> fields) {
    std::array<std::string_view, TArMastData::kColumns> cols{};
    for (const auto& [col, text] : fields) cols[ColIndex(col)] = text;
    return st->store.Append(cols);
  }
};

class Receipts : public ReceiptStore {
 protected:
  int32_t Sent(const std::string& date, const std::string& category = "",
               const std::string& sender = "me") {
    return Row({{MastCol::kDate, date},
                {MastCol::kFolder, FolderName(Folder::kSent)},
                {MastCol::kReadDate, UnreadMark()},
                {MastCol::kSender, sender},
                {MastCol::kSenderSite, "s"},
                {MastCol::kCategory, category},
                {MastCol::kTitle, "t"}});
  }
  SiteAccount account{"s", "me", "pw", "h:1", "sys", ""};
  std::string msg;
};

TEST_F(Receipts, OneLineConfirmsEveryWaitingCopyOfItsDateAndNothingElse) {
  Sent("2026/01/01 00:00:00");
  Sent("2026/01/01 00:00:00");
  Sent("2026/01/02 00:00:00");
  Sent("2026/01/01 00:00:00", MailCategory());  // a mail never waits
  int count = 0;
  EXPECT_TRUE(SetFeedBack(st->log, st->store,
                          "x\t2026/01/01 00:00:00\t2026/01/05 10:00:00\tFEEDBACK\r\n"
                          "  x\t2026/01/02 00:00:00\tlater\tNOTICE  \r\n"
                          "SYS\t2026/01/02 00:00:00\tlater\tFEEDBACK\r\n"
                          "x\t2026/01/01 00:00:00\tsecond\tFEEDBACK\tq\tr\textra\r\n",
                          count));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(st->store.Get(0, MastCol::kReadDate), "2026/01/05 10:00:00");
  EXPECT_EQ(st->store.Get(1, MastCol::kReadDate), "2026/01/05 10:00:00");
  EXPECT_EQ(st->store.Get(2, MastCol::kReadDate), UnreadMark());
  EXPECT_EQ(st->store.Get(3, MastCol::kReadDate), UnreadMark());
}

TEST_F(Receipts, OnlyAnAccountWithWaitingCopiesAsksAndTheDynamicHostIsFollowed) {
  Sent("2026/01/01 00:00:00", MailCategory());
  Sent("2026/01/01 00:00:00", "", "someone else");
  EXPECT_FALSE(GetFeedBack(st->site, st->store, account, msg));
  EXPECT_TRUE(http->sent.empty());
  EXPECT_EQ(msg, "");

  Sent("2026/01/03 00:00:00");
  account.dyn_key = "p$k";
  http->Fail();
  http->Answer("x\tOK(PGM)\r\nnew:8\r\n");
  http->Answer("x\tOK(PGM)\r\nx\t2026/01/03 00:00:00\tnow\tFEEDBACK\r\n");
  EXPECT_TRUE(GetFeedBack(st->site, st->store, account, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "フィードバック取得完了 :1 件");
  ASSERT_EQ(http->sent.size(), 3u);
  EXPECT_EQ(http->sent[0].body,
            "COMMAND=GETFEEDBACK&FROMNAME=me&FROMSITE=s&USERPASS=pw&FROMHOST=h%3A1&"
            "FROMUSER=sys&");
  EXPECT_EQ(http->sent[2].url, "http://new:8/bn/WbMessage.exe?");

  Sent("2026/01/04 00:00:00");
  http->Answer("x\tOK(PGM)\r\nx\t2026/01/09 00:00:00\tnow\tFEEDBACK\r\n");
  EXPECT_FALSE(GetFeedBack(st->site, st->store, account, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "フィードバック該当無し");
}

class SendReceipt : public ReceiptStore {
 protected:
  SendReceipt() {
    Row({{MastCol::kSender, "taro"},
         {MastCol::kDate, "2026/01/01 00:00:00"},
         {MastCol::kSenderUser, "tsys"},
         {MastCol::kSenderHost, "th:2"},
         {MastCol::kDynamicHost, "p$k"}});
    deposit = [this](const std::string& key, const std::vector<std::string>&, std::string& m) {
      deposited_key = key;
      m = deposit_msg;
      return deposit_ok;
    };
  }
  SiteAccount reader{"site", "hana", "", "hh:3", "hsys", ""};
  DepositReceipt deposit;
  std::string deposited_key, deposit_msg = "deposited", msg;
  bool deposit_ok = true;
};

TEST_F(SendReceipt, TheReceiptGoesToTheSendersHostOrIsDepositedWhenItIsDown) {
  http->Answer("x\tOK(PGM)\r\nFEEDBACK\tOK(PGM)ok\r\n");
  EXPECT_TRUE(SendFeedBack(st->site, reader, st->store, 0, deposit, msg));
  EXPECT_EQ(msg, "ok");
  EXPECT_EQ(http->sent[0].url, "http://th:2/bn/WbMessage.exe?");
  EXPECT_EQ(http->sent[0].body,
            "COMMAND=FEEDBACK&TONAME=hana&TOHOST=hh%3A3&TOUSER=hsys&FROMNAME=taro&"
            "FROMDATE=2026%2F01%2F01+00%3A00%3A00&FROMUSER=tsys&FROMHOST=th%3A2&");

  http->Fail();  // the sender's host is down and the deposit is refused: a failure
  deposit_ok = false;
  deposit_msg = "refused";
  EXPECT_FALSE(SendFeedBack(st->site, reader, st->store, 0, deposit, msg));
  EXPECT_EQ(msg, "refused");
  EXPECT_EQ(deposited_key, "p$k");
}

TEST_F(SendReceipt, AClaimCountsOnlyWithALeadingOkAndNeverShowsAnEarlierText) {
  const std::vector<std::string> f = ClaimFields(st->store, 0, {true, true, "note"});
  ASSERT_EQ(f.size(), 13u);
  EXPECT_EQ(f[11], "CLAIM=" + J("関係不正") + "\t" + J("種別不正"));
  http->Answer("x\tOK(PGM)late");
  EXPECT_FALSE(ClaimReport(st->site, f, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "報告失敗 : x\tOK(PGM)late");
  http->Fail();
  EXPECT_FALSE(ClaimReport(st->site, f, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "報告エラー");
}

class ReceiptMatch : public ReceiptStore {
 protected:
  int32_t Copy(const std::string& to, const std::string& folder = FolderName(Folder::kSent),
               const std::string& host = "", const std::string& send_date = "") {
    return Row({{MastCol::kDate, "2026/03/01 10:00:00"},
                {MastCol::kTo, to},
                {MastCol::kFolder, folder},
                {MastCol::kReadDate, UnreadMark()},
                {MastCol::kSender, "me"},
                {MastCol::kSenderSite, "s"},
                {MastCol::kSenderHost, host},
                {MastCol::kSendDate, send_date}});
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

class ReceiptRetry : public ReceiptStore {
 protected:
  ReceiptRetry() {
    for (const char* number : {"77", "78"}) {
      Row({{MastCol::kSender, "taro"},
           {MastCol::kDate, "2026/01/01 00:00:00"},
           {MastCol::kSenderHost, "th:2"},
           {MastCol::kServerNo, number}});
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
