// The receive against scripted POP3 servers, for what a real server cannot be made to do: watch
// the store at the first DELE, cut a mail off, refuse UIDL, STLS or the login greeting.
#include <gtest/gtest.h>

#include <functional>

#include "base/MbText.h"
#include "mail/MailFixture.h"
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

TEST_F(MailTest, MailsAreStoredInTheInboxAndDeletedOnlyAfterTheStoreIsSaved) {
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
  EXPECT_EQ(out.deleted, 3);
  EXPECT_EQ(events.labels, (std::vector<std::string>{"接続中... ", " 3 件"}));

  ASSERT_EQ(store.CtMaster(), 3);
  EXPECT_EQ(Col(0, MastCol::kTitle), "受信テスト");
  EXPECT_EQ(Col(0, MastCol::kBody), "first\r\n.x");  // "..x" on the wire
  EXPECT_NE(Col(0, MastCol::kSender).find("太郎"), std::string::npos) << Col(0, MastCol::kSender);
  EXPECT_EQ(Col(0, MastCol::kSendDate), "2026/12/01 10:00:00");
  EXPECT_EQ(Col(2, MastCol::kNumber), Format4d(2));
  EXPECT_EQ(Col(2, MastCol::kFolder) + Col(2, MastCol::kReadDate) + Col(2, MastCol::kCategory),
            "受信箱(未読)メール");
  // One receive-log line per mail: time, the empty text, From, Subject, To.
  const std::string recv_log = Cp932ToUtf8(ReadFileBytes(data_dir() / "Recv.log"));
  EXPECT_EQ(recv_log.substr(19, recv_log.find('\n') - 19),
            "\t\t" + Col(0, MastCol::kSender) + "\t受信テスト\thanako@example.jp\r");
  EXPECT_EQ(std::count(recv_log.begin(), recv_log.end(), '\n'), 3);
  ASSERT_EQ(aclog.lines().size(), 1u);
  EXPECT_NE(aclog.lines()[0].find("POP  OK%taro"), std::string::npos) << aclog.lines()[0];
}

TEST_F(MailTest, ABrokenRetrievalLeavesThatMailAndEveryLaterOneOnTheServer) {
  ScriptedLineSocket broken(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Retr(1, kMail1) +
                            Retr(2, kMail2, 3));
  const JushinOutcome out = Receive(broken);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.label, "エラー"_cp932);
  EXPECT_TRUE(out.status.starts_with("受信の途中で接続が切れました"_cp932));
  EXPECT_EQ(out.stored, 1);
  EXPECT_EQ(broken.sent().find("DELE"), std::string::npos);
  EXPECT_EQ(SavedRecords(), 1);  // the mail that came whole is on disk

  // The next receive takes the rest and deletes all three; the first is not stored twice.
  ScriptedLineSocket next(Login() + Stat(3) + Uidl({"a", "b", "c"}) + Retr(2, kMail2) +
                          Retr(3, kMail3) + Dele(1) + Dele(2) + Dele(3) + Quit());
  EXPECT_TRUE(Receive(next).ok);
  EXPECT_TRUE(next.Finished());
  ASSERT_EQ(store.CtMaster(), 3);
  EXPECT_EQ(Col(1, MastCol::kTitle) + Col(2, MastCol::kTitle), "secondthird");
}

TEST_F(MailTest, WithoutUidlTheMessageIdKeepsMailLeftOnTheServerFromBeingStoredTwice) {
  config.leave_on_server = true;
  const std::string a = Mail("one", "1\n", "<1@example.jp>");
  const std::string b = Mail("two", "2\n", "<2@example.jp>");
  for (int run = 0; run < 2; ++run) {
    ScriptedLineSocket socket(Login() + Stat(2) + "C: UIDL\nS: -ERR no UIDL here\n" + Retr(1, a) +
                              Retr(2, b) + Quit());
    const JushinOutcome out = Receive(socket);
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(socket.Finished());
    EXPECT_EQ(out.stored, run == 0 ? 2 : 0);
    EXPECT_EQ(out.known, run == 0 ? 0 : 2);
  }
  EXPECT_EQ(store.CtMaster(), 2);
}

TEST_F(MailTest, RefusedGreetingOrStlsNoHostAndASecondReceiveStoreNothing) {
  auto greeting = ScriptedLineSocket::FromFile("pop3-greeting-err.txt");
  JushinOutcome out = Receive(*greeting);
  EXPECT_FALSE(out.ok);
  EXPECT_NE(out.status.find("-ERR too many connections"), std::string::npos);

  config.security = MailSecurity::kStartTls;  // asked at once, without CAPA
  auto stls = ScriptedLineSocket::FromFile("pop3-stls-refused.txt");
  out = Receive(*stls);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(out.status.starts_with("サーバーが STLS を受け付けません"_cp932))
      << Cp932ToUtf8(out.status);
  EXPECT_TRUE(stls->Finished());  // no password in the clear

  config.host.clear();
  ScriptedLineSocket untouched("");
  EXPECT_EQ(Receive(untouched).label, "HOST 指定なし"_cp932);
  EXPECT_FALSE(untouched.open());
  EXPECT_EQ(store.CtMaster(), 0);
}

}  // namespace
}  // namespace sorami
