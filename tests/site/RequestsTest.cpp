// Host look-up, account check and fetch against scripted answers: what is sent, and what the
// answers do to the current account, the account list and the store.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "shell/ConnectionCheck.h"
#include "shell/SiteFetch.h"
#include "site/Fetch.h"
#include "site/HostLookup.h"
#include "site/SendHttp.h"
#include "store/Folders.h"
#include "support/AppFixture.h"
#include "support/FakeHttp.h"

namespace sorami {
namespace {

class Requests : public test::FakeSiteTest {
 protected:
  void AddAccount(const std::string& site, const std::string& nick, const std::string& host,
                  const std::string& enabled, const std::string& dyn = "") {
    st->settei.rows.push_back(
        ParseAccountRow(test::JoinedRow({site, nick, "pw", "", host, "sys", enabled, dyn})));
  }
  static std::string Line(const std::string& n, const std::string& date, const std::string& sender,
                          const std::string& title, const std::string& site = "",
                          const std::string& server_no = "") {
    std::string fields[23];
    fields[0] = n;
    fields[5] = server_no;
    fields[10] = site;
    fields[2] = title;
    fields[4] = date;
    fields[6] = sender;
    fields[12] = "elsewhere";
    std::string line;
    for (int i = 0; i < 23; ++i) line += (i ? "\t" : "") + fields[i];
    return line;
  }
};

TEST_F(Requests, DynamicKeysSendWhatFollowsTheFirstDollarAndMoveMatchingAccounts) {
  AddAccount("s", "a", "old", "on", "$k$2");
  AddAccount("s", "b", "old", "on", "x$k$2");
  http->Answer("x\tOK(PGM)\r\n  new:8  \r\n");
  std::string host = "old";
  ASSERT_TRUE(GetDynamicHost(st->site, "p$k$2", host, msg));
  EXPECT_EQ(http->sent[0].url, "http://dir:1/bn/WbUpdate.exe?");
  EXPECT_EQ(http->sent[0].body, "COMMAND=GETDYN&HOST=k%242&");
  EXPECT_EQ(host, "new:8");
  EXPECT_EQ(st->settei.rows[0].host, "new:8");
  EXPECT_EQ(st->settei.rows[1].host, "old");  // something before its "$"
  EXPECT_TRUE(std::filesystem::exists(dir / "app" / "Data" / "KRList.dat"));  // saved
}

TEST_F(Requests, FetchSkipsDisabledRowsNoticesAndDuplicatesAndKeepsFieldsAsDelivered) {
  AddAccount("s1", "off", "h0", " ");
  AddAccount("s2", "me", "h1", "on");
  std::string long_line = Line("2", "2026/01/02 00:00:00", "bob", "two");
  for (int i = 24; i <= 26; ++i) long_line += "\tf" + std::to_string(i);
  const std::string answer =
      "x\tOK(PGM)\r\nSYS\tnotice\r\n" + Line("1", "2026/01/01 00:00:00", "ann", "one") + "\r\n" +
      long_line + "\r\n  " + Line("3", "2026/01/01 00:00:00", "ann", "one") + "  \r\nshort\r\n";
  http->Answer(answer);
  http->Answer(answer);  // the deleting answer hands the same lines over again
  st->store.Set(st->store.Append({}), MastCol::kTitle, "existing");
  auto out = FetchNewMessages(*st, -1);
  ASSERT_EQ(http->sent.size(), 2u);  // the disabled row sent nothing
  EXPECT_EQ(http->sent[0].body,
            "COMMAND=GET&TOSITE=s2&TOUSER=sys&TONAME=me&USERPASS=pw&"
            "FROMHOST=h1&FROMUSER=sys&");
  EXPECT_EQ(http->sent[1].body,
            "COMMAND=GETDEL&TOSITE=s2&TOUSER=sys&TONAME=me&USERPASS=pw&"
            "FROMHOST=h1&FROMUSER=sys&");
  EXPECT_TRUE(out.any_new);
  EXPECT_EQ(out.failed, 0);
  // The last line repeats the first one; the deleting answer adds nothing.
  ASSERT_EQ(st->store.CtMaster(), 3);
  // The log shows the request fields, never the password.
  const std::string log = st->log.Text();
  EXPECT_NE(log.find("USERPASS=********"), std::string::npos);
  EXPECT_EQ(log.find("USERPASS=pw"), std::string::npos);
  EXPECT_EQ(st->store.Get(1, MastCol::kTitle), "one");
  EXPECT_EQ(st->store.Get(1, MastCol::kNumber), "0001");
  EXPECT_EQ(Cp932ToUtf8(st->store.Get(1, MastCol::kFolder)), "受信箱");
  EXPECT_EQ(st->store.Get(2, MastCol::kReplyTo), "");  // fields after the 23rd are dropped
  EXPECT_NE(out.checked_at, "");
}

TEST_F(Requests, AStrayLeadByteOrALfLineEndNeverSwallowsTheNextFieldOrMessage) {
  AddAccount("s", "me", "h", "on");
  // A title ending in a lone lead byte, and a last field ending in one before CR LF.
  std::string first = Line("1", "2026/05/01 00:00:00", "ann", "bad\x82");
  first += "\x82";
  http->Answer("x\tOK(PGM)\r\n" + first + "\r\n" + Line("2", "2026/05/02 00:00:00", "bob", "next") +
               "\r\n");
  ASSERT_TRUE(FetchNewMessages(*st, -1).any_new);
  ASSERT_EQ(st->store.CtMaster(), 2);
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "bad\x82");
  EXPECT_EQ(st->store.Get(0, MastCol::kDate), "2026/05/01 00:00:00");
  EXPECT_EQ(st->store.Get(1, MastCol::kTitle), "next");

  // An answer with LF line ends is read as lines too.
  st->site.leave_on_site = true;
  http->Answer("x\tOK(PGM)\n" + Line("3", "2026/07/01 00:00:00", "ann", "one") + "\n" +
               Line("4", "2026/07/02 00:00:00", "bob", "two") + "\n");
  ASSERT_TRUE(FetchNewMessages(*st, -1).any_new);
  ASSERT_EQ(st->store.CtMaster(), 4);
  EXPECT_EQ(st->store.Get(2, MastCol::kReplyTo), "");  // no line end left in the last field
  EXPECT_EQ(st->store.Get(3, MastCol::kTitle), "two");
}

TEST_F(Requests, ADuplicateNeedsTheSameSenderSiteAndNumberOrWithoutOneTheSameText) {
  AddAccount("s", "me", "h", "on");
  st->site.leave_on_site = true;
  const std::string d = "2026/06/01 00:00:00";
  const std::string hiroba = Utf8ToCp932("広場"), bekkan = Utf8ToCp932("別館");
  http->Answer(
      "x\tOK(PGM)\r\n" + Line("1", d, "taro", "a", hiroba, "11") + "\r\n" +
      Line("2", d, "taro", "b", bekkan, "12") + "\r\n" + Line("3", d, "taro", "c", hiroba, "13") +
      "\r\n" + Line("4", d, "taro", "a again", hiroba, "11") + "\r\n" +
      Line("5", d, "taro", "a", hiroba, "") + "\r\n" + Line("6", d, "taro", "other", hiroba, "") +
      "\r\n" + Line("7", d, "taro", "other", hiroba, "") + "\r\n");
  FetchNewMessages(*st, -1);
  // Another site or another message number is another message; a line without a number
  // matches a stored one of the same date, sender and site only when it says the same.
  ASSERT_EQ(st->store.CtMaster(), 4);
  EXPECT_EQ(st->store.Get(1, MastCol::kTitle), "b");
  EXPECT_EQ(st->store.Get(2, MastCol::kTitle), "c");
  EXPECT_EQ(st->store.Get(3, MastCol::kTitle), "other");
}

// The site deletes nothing before it is saved: "GET", the save, then "GETDEL", whose answer
// (with what came in between) is stored and saved as well.
TEST_F(Requests, TheSiteIsAskedToDeleteOnlyWhatIsSaved) {
  AddAccount("s", "me", "h", "on");
  const std::string first = Line("1", "2026/08/01 00:00:00", "ann", "one", "", "1");
  const std::string later = Line("2", "2026/08/01 00:00:05", "bob", "two", "", "2");
  http->Answer("x\tOK(PGM)\r\n" + first + "\r\n");
  http->Answer("x\tOK(PGM)\r\n" + first + "\r\n" + later + "\r\n");
  FetchReport out = FetchNewMessages(*st, -1);
  ASSERT_EQ(http->sent.size(), 2u);
  EXPECT_EQ(http->sent[0].body.substr(0, 12), "COMMAND=GET&");
  EXPECT_EQ(http->sent[1].body.substr(0, 15), "COMMAND=GETDEL&");
  EXPECT_FALSE(out.save_failed);
  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg)) << msg;
  EXPECT_EQ(st->store.CtMaster(), 2);

  // A save that fails ends the fetch before anything is deleted, and says why.
  Remake();
  http = test::UseFakeHttp(*st);
  AddAccount("s", "me", "h", "on");
  AddAccount("s", "other", "h", "on");
  std::filesystem::remove_all(dir / "app" / "Data");
  test::WriteFileBytes(dir / "app" / "Data", "a file where the data directory should be");
  http->Answer("x\tOK(PGM)\r\n" + first + "\r\n");
  out = FetchNewMessages(*st, -1);
  // Not even a "GET" (its answer could not be kept), and no other account asked.
  EXPECT_TRUE(http->sent.empty());
  EXPECT_TRUE(out.save_failed);
  EXPECT_EQ(Cp932ToUtf8(out.status).rfind("保存失敗 : Not a directory (", 0), 0u)
      << Cp932ToUtf8(out.status);
}

// Receipts the site hands over are saved at once, even when no message came.
TEST_F(Requests, AFetchThatBringsOnlyReceiptsSavesThem) {
  AddAccount("s", "me", "h", "on");
  std::array<std::string_view, TArMastData::kColumns> cols{};
  const std::string unread = UnreadMark(), sent = std::string(FolderName(Folder::kSent));
  cols[ColIndex(MastCol::kDate)] = "2026/09/01 00:00:00";
  cols[ColIndex(MastCol::kFolder)] = sent;
  cols[ColIndex(MastCol::kReadDate)] = unread;
  cols[ColIndex(MastCol::kSender)] = "me";
  cols[ColIndex(MastCol::kSenderSite)] = "s";
  cols[ColIndex(MastCol::kTitle)] = "my copy";
  st->store.Append(cols);
  http->Answer("x\tOK(PGM)\r\n");
  http->Answer("x\tOK(PGM)\r\n");
  http->Answer("x\tOK(PGM)\r\nx\t2026/09/01 00:00:00\t2026/09/02 10:00:00\tFEEDBACK\r\n");
  const FetchReport out = FetchNewMessages(*st, -1);
  EXPECT_FALSE(out.any_new);
  EXPECT_TRUE(out.changed);
  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg)) << msg;
  ASSERT_EQ(st->store.CtMaster(), 1);
  EXPECT_EQ(st->store.Get(0, MastCol::kReadDate), "2026/09/02 10:00:00");
}

TEST_F(Requests, HostsFromTheServiceAreTrimmedFieldsAndMalformedOnesAreErrors) {
  SiteHostInfo found;
  ASSERT_TRUE(GetKairoSiteID(st->log, "TOHOST=h.example:81\tTOUSER=sys\r\n", found, msg));
  EXPECT_EQ(found.user, "sys");
  for (const char* bad : {"TOHOST=evil/x\tTOUSER=u", "TOHOST=a@b\tTOUSER=u", "TOHOST=a b\tTOUSER=u",
                          "TOHOST=\r\n\tTOUSER=u"}) {
    EXPECT_FALSE(GetKairoSiteID(st->log, bad, found, msg)) << bad;
    EXPECT_EQ(Cp932ToUtf8(msg), "接続エラー");
  }

  AddAccount("s", "a", "kept:1", "on", "$k");
  std::string host = "kept:1";
  for (const char* answer : {"x\tOK(PGM)\r\n\r\n", "x\tOK(PGM)\r\nbad/host"}) {
    http->Answer(answer);
    EXPECT_FALSE(GetDynamicHost(st->site, "$k", host, msg)) << answer;
    EXPECT_EQ(host, "kept:1");
    EXPECT_EQ(st->settei.rows[0].host, "kept:1");
  }
}

TEST_F(Requests, AFailingAccountDoesNotStopTheOthersAndShowsInTheSummary) {
  AddAccount("s", "a", "down", "on");
  AddAccount("s", "b", "up", "on");
  AddAccount("s", "c", "gone", "on", "$key");  // its dynamic look-up fails as well
  http->Fail();
  http->Answer("x\tOK(PGM)\r\n" + Line("1", "2026/03/01 00:00:00", "z", "t"));
  http->Answer("x\tOK(PGM)\r\n");  // b's "GETDEL"
  http->Fail();                    // c's host
  http->Fail();                    // the directory server
  const auto out = FetchNewMessages(*st, -1);
  EXPECT_TRUE(out.any_new);
  EXPECT_EQ(out.failed, 2);
  EXPECT_EQ(st->store.CtMaster(), 1);
  EXPECT_NE(Cp932ToUtf8(out.status).find("取得できなかったアカウント : 2 件"), std::string::npos);

  // What came is on disk at once: the service has deleted it.
  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.CtMaster(), 1);
}

}  // namespace
}  // namespace sorami
