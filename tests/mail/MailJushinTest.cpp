#include <gtest/gtest.h>

#include <ctime>
#include <functional>

#include "base/MbText.h"
#include "mail/MailFixture.h"
#include "mail/MailJushin.h"
#include "mail/ReceivedIds.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using namespace test;

// A scripted server that lets the test look around when the client sends a command.
class WatchedSocket : public ScriptedLineSocket {
 public:
  using ScriptedLineSocket::ScriptedLineSocket;
  bool Write(std::string_view bytes, std::string& error) override {
    if (on_write) on_write(bytes);
    return ScriptedLineSocket::Write(bytes, error);
  }
  std::function<void(std::string_view)> on_write;
};

const std::string kMail1 = Mail("=?ISO-2022-JP?B?GyRCPHU/LiVGJTklSBsoQg==?=", "first\n.x\n");
const std::string kMail2 = Mail("second", "two\n");
const std::string kMail3 = Mail("third", "three\n");

TEST_F(MailTest, ThreeMailsAreStoredInTheInboxThenDeletedOnlyAfterTheStoreIsSaved) {
  WatchedSocket socket(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Retr(1, kMail1) +
                       Retr(2, kMail2) + Retr(3, kMail3) + Dele(1) + Dele(2) + Dele(3) + Quit());
  int32_t saved_at_first_dele = -1;
  socket.on_write = [&](std::string_view bytes) {
    if (bytes.starts_with("DELE") && saved_at_first_dele < 0) saved_at_first_dele = SavedRecords();
  };
  const JushinOutcome out = Receive(socket);
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_TRUE(socket.Finished());
  EXPECT_EQ(saved_at_first_dele, 3);
  EXPECT_EQ(out.stored, 3);
  EXPECT_EQ(out.deleted, 3);
  EXPECT_EQ(events.labels, (std::vector<std::string>{"接続中... ", " 3 件"}));

  ASSERT_EQ(store.CtMaster(), 3);
  EXPECT_EQ(Col(0, MastCol::kTitle), "受信テスト");
  EXPECT_EQ(Col(0, MastCol::kBody), "first\r\n.x");  // "..x" on the wire
  EXPECT_EQ(Col(0, MastCol::kTo), "hanako@example.jp");
  EXPECT_NE(Col(0, MastCol::kSender).find("太郎"), std::string::npos) << Col(0, MastCol::kSender);
  EXPECT_EQ(Col(0, MastCol::kSendDate), "2026/12/01 10:00:00");
  EXPECT_EQ(Col(1, MastCol::kTitle), "second");
  for (int32_t row = 0; row < 3; ++row) {
    EXPECT_EQ(Col(row, MastCol::kNumber), Format4d(row));
    EXPECT_EQ(Col(row, MastCol::kFolder), "受信箱");
    EXPECT_EQ(Col(row, MastCol::kReadDate), "(未読)");
    EXPECT_EQ(Col(row, MastCol::kCategory), "メール");
    EXPECT_EQ(Col(row, MastCol::kAttachments), "");
  }
  // One receive-log line per mail: time, the empty text, From, Subject, To.
  const std::string recv_log = Cp932ToUtf8(ReadFileBytes(data_dir() / "Recv.log"));
  std::string_view rest = recv_log, line;
  CutLine(rest, line);
  EXPECT_EQ(line.substr(19), "\t\t" + Col(0, MastCol::kSender) + "\t受信テスト\thanako@example.jp");
  EXPECT_EQ(std::count(recv_log.begin(), recv_log.end(), '\n'), 3);
  ASSERT_EQ(aclog.lines().size(), 1u);
  EXPECT_NE(aclog.lines()[0].find("POP  OK%taro"), std::string::npos) << aclog.lines()[0];
}

TEST_F(MailTest, MailLeftOnTheServerIsStoredOnceAndDeletedLaterWithoutRetrieval) {
  config.leave_on_server = true;
  ScriptedLineSocket first(Login() + Stat(2) + Uidl({"a", "b"}) + Retr(1, kMail1) +
                           Retr(2, kMail2) + Quit());
  EXPECT_TRUE(Receive(first).ok);
  EXPECT_TRUE(first.Finished());

  ScriptedLineSocket second(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Retr(3, kMail3) + Quit());
  const JushinOutcome again = Receive(second);
  EXPECT_TRUE(again.ok);
  EXPECT_TRUE(second.Finished());
  EXPECT_EQ(again.stored, 1);
  EXPECT_EQ(again.known, 2);
  EXPECT_EQ(store.CtMaster(), 3);

  // Leave-on-server off now: what was stored before is deleted, nothing is stored again.
  config.leave_on_server = false;
  ScriptedLineSocket third(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Dele(1) + Dele(2) + Dele(3) +
                           Quit());
  const JushinOutcome last = Receive(third);
  EXPECT_TRUE(third.Finished());
  EXPECT_EQ(last.deleted, 3);
  EXPECT_EQ(store.CtMaster(), 3);
  EXPECT_EQ(SavedRecords(), 3);
}

TEST_F(MailTest, ABrokenRetrievalLeavesThatMailAndEveryLaterOneOnTheServer) {
  ScriptedLineSocket broken(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Retr(1, kMail1) +
                            Retr(2, kMail2, 3));
  const JushinOutcome out = Receive(broken);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.label, "エラー"_cp932);
  EXPECT_TRUE(out.status.starts_with("受信の途中で接続が切れました"_cp932));
  EXPECT_EQ(out.stored, 1);
  EXPECT_EQ(out.deleted, 0);
  EXPECT_EQ(broken.sent().find("DELE"), std::string::npos);
  EXPECT_EQ(SavedRecords(), 1);  // the mail that came whole is on disk

  // The next receive takes the rest and deletes all three; the first is not stored twice.
  ScriptedLineSocket next(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Retr(2, kMail2) +
                          Retr(3, kMail3) + Dele(1) + Dele(2) + Dele(3) + Quit());
  const JushinOutcome rest = Receive(next);
  EXPECT_TRUE(rest.ok) << Cp932ToUtf8(rest.status);
  EXPECT_TRUE(next.Finished());
  ASSERT_EQ(store.CtMaster(), 3);
  EXPECT_EQ(Col(1, MastCol::kTitle), "second");
  EXPECT_EQ(Col(2, MastCol::kTitle), "third");
}

TEST_F(MailTest, WithoutUidlTheMessageIdKeepsMailLeftOnTheServerFromBeingStoredTwice) {
  config.leave_on_server = true;
  const std::string a = Mail("one", "1\n", "<1@example.jp>");
  const std::string b = Mail("two", "2\n", "<2@example.jp>");
  const std::string no_uidl = "C: UIDL\nS: -ERR no UIDL here\n";
  for (int run = 0; run < 2; ++run) {
    ScriptedLineSocket socket(Login() + Stat(2) + no_uidl + Retr(1, a) + Retr(2, b) + Quit());
    const JushinOutcome out = Receive(socket);
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(socket.Finished());
    EXPECT_EQ(out.stored, run == 0 ? 2 : 0);
    EXPECT_EQ(out.known, run == 0 ? 0 : 2);
  }
  EXPECT_EQ(store.CtMaster(), 2);
  ReceivedIds ids(data_dir(), "pop.example.jp", "taro");
  ASSERT_TRUE(ids.Load());
  EXPECT_TRUE(ids.Has("<1@example.jp>"));
  ReceivedIds other(data_dir(), "pop.example.jp", "jiro");  // per host and user
  ASSERT_TRUE(other.Load());
  EXPECT_EQ(other.size(), 0u);
}

TEST_F(MailTest, AnEmptyMailboxAMissingHostAndASecondReceive) {
  ScriptedLineSocket empty(Login() + Stat(0) + Quit());
  const JushinOutcome none = Receive(empty);
  EXPECT_TRUE(none.ok);
  EXPECT_TRUE(empty.Finished());
  EXPECT_EQ(none.label, " 0 件"_cp932);
  EXPECT_EQ(store.CtMaster(), 0);

  config.host.clear();
  ScriptedLineSocket untouched("");
  const JushinOutcome no_host = Receive(untouched);
  EXPECT_FALSE(no_host.ok);
  EXPECT_EQ(no_host.label, "HOST 指定なし"_cp932);
  EXPECT_FALSE(untouched.open());

  session.receiving = true;
  const JushinOutcome busy = Receive(untouched);
  EXPECT_TRUE(busy.refused);
  EXPECT_EQ(busy.status, "メール受信中"_cp932);
  EXPECT_TRUE(session.receiving);  // the running receive keeps its flag
}

}  // namespace
}  // namespace sorami
