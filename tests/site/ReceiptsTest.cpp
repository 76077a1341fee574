// Read receipts and the claim report against scripted answers: who waits, which lines confirm
// which sent copies, the requests' fields, the deposit when the sender's host is down, the
// ledger that keeps a message from being receipted twice, and the claim's answer rule.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "site/Claim.h"
#include "site/FakeHttp.h"
#include "site/Receipts.h"
#include "store/Folders.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class Receipts : public test::FakeSiteTest {
 protected:
  int32_t Sent(const std::string& date, const std::string& category = "",
               const std::string& sender = "me") {
    std::array<std::string_view, TArMastData::kColumns> cols{};
    const std::string unread = UnreadMark();
    cols[ColIndex(MastCol::kDate)] = date;
    cols[ColIndex(MastCol::kFolder)] = FolderName(Folder::kSent);
    cols[ColIndex(MastCol::kReadDate)] = unread;
    cols[ColIndex(MastCol::kSender)] = sender;
    cols[ColIndex(MastCol::kSenderSite)] = "s";
    cols[ColIndex(MastCol::kCategory)] = category;
    cols[ColIndex(MastCol::kTitle)] = "t";
    return st->store.Append(cols);
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

class SendReceipt : public test::FakeSiteTest {
 protected:
  SendReceipt() {
    std::array<std::string_view, TArMastData::kColumns> cols{};
    cols[ColIndex(MastCol::kSender)] = "taro";
    cols[ColIndex(MastCol::kDate)] = "2026/01/01 00:00:00";
    cols[ColIndex(MastCol::kSenderUser)] = "tsys";
    cols[ColIndex(MastCol::kSenderHost)] = "th:2";
    cols[ColIndex(MastCol::kDynamicHost)] = "p$k";
    st->store.Append(cols);
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

}  // namespace
}  // namespace sorami
