// The receive against scripted POP3 servers, for what a real server cannot be made to do: watch
// the store at the first DELE, cut a mail off, refuse UIDL, STLS or the login greeting.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
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

// A mail with the text "attached text" as an attachment named `name` (UTF-8, sent as an
// RFC 2231 UTF-8 file name).
std::string WithAttachment(const std::string& subject, const std::string& name) {
  std::string encoded;
  for (unsigned char c : name) {
    static const char kHex[] = "0123456789ABCDEF";
    encoded += std::isalnum(c) || c == '.' ? std::string(1, static_cast<char>(c))
                                           : std::string{'%', kHex[c >> 4], kHex[c & 15]};
  }
  return "From: taro@example.jp\nTo: hanako@example.jp\nSubject: " + subject +
         "\nDate: Tue, 1 Dec 2026 10:00:00\nMIME-Version: 1.0\n"
         "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
         "Content-Type: text/plain; charset=US-ASCII\n\nsee the file\n--b\n"
         "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n"
         "Content-Disposition: attachment; filename*=UTF-8''" +
         encoded + "\n\nYXR0YWNoZWQgdGV4dA==\n--b--\n";
}

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

TEST_F(MailTest, AMailIsStoredOnlyWithAllItsFilesAndOtherwiseStaysOnTheServer) {
  // 97 Japanese characters are 291 bytes of UTF-8, more than a file name may take: the name
  // is shortened, keeping its extension.
  std::string name;
  for (int i = 0; i < 97; ++i) name += "長";
  ScriptedLineSocket socket(Login() + Stat(1) + Uidl({"a"}) +
                            Retr(1, WithAttachment("long", name + ".txt")) + Dele(1) + Quit());
  JushinOutcome out = Receive(socket);
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_TRUE(socket.Finished());
  ASSERT_EQ(store.CtMaster(), 1);
  const std::string column = Col(0, MastCol::kAttachments);
  ASSERT_TRUE(column.starts_with("MailTenpu;長長")) << column;
  const std::string saved = column.substr(std::string("MailTenpu;").size());
  EXPECT_TRUE(saved.ends_with("長.txt")) << saved;
  EXPECT_LE(saved.size(), 255u);
  EXPECT_EQ(ReadFileBytes(attach_dir() / saved), "attached text");

  // The attachment directory cannot be written: that mail stays on the server, unrecorded,
  // the one without files is stored and deleted, and the receive fails saying why.
  std::filesystem::remove_all(attach_dir());
  { std::ofstream blocker(attach_dir()); }
  ScriptedLineSocket blocked(Login() + Stat(2) + Uidl({"b", "c"}) +
                             Retr(1, WithAttachment("blocked", "a.txt")) + Retr(2, kMail2) +
                             Dele(2) + Quit());
  out = Receive(blocked);
  EXPECT_TRUE(blocked.Finished());
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.label, "ERROR(POP)");
  EXPECT_EQ(out.kept, 1);
  EXPECT_NE(out.status.find("添付ファイルを保存できません : a.txt ("_cp932), std::string::npos)
      << Cp932ToUtf8(out.status);
  EXPECT_EQ(SavedRecords(), 2);
  EXPECT_EQ(Col(1, MastCol::kTitle), "second");
  const std::string recv_log = Cp932ToUtf8(ReadFileBytes(data_dir() / "Recv.log"));
  EXPECT_EQ(recv_log.find("blocked"), std::string::npos);

  // Once the directory can be written, the next receive stores it.
  std::filesystem::remove(attach_dir());
  ScriptedLineSocket again(Login() + Stat(1) + Uidl({"b"}) +
                           Retr(1, WithAttachment("blocked", "a.txt")) + Dele(1) + Quit());
  EXPECT_TRUE(Receive(again).ok);
  EXPECT_EQ(ReadFileBytes(attach_dir() / "a.txt"), "attached text");
}

TEST_F(MailTest, OnlyWhatWasStoredOrIsProvenStoredIsDeleted) {
  // The server gives two messages one id: the second is retrieved and stored like the
  // first, not taken for it and deleted unseen.
  ScriptedLineSocket shared(Login() + Stat(3) + Uidl({"a", "a", "b"}) + Retr(1, kMail1) +
                            Retr(2, kMail2) + Retr(3, kMail3) + Dele(1) + Dele(2) + Dele(3) +
                            Quit());
  JushinOutcome out = Receive(shared);
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_TRUE(shared.Finished());
  EXPECT_EQ(out.stored, 3);

  // Without UIDL, two different mails share a Message-Id: both are stored while they stay on
  // the server, and only the next receive, finding the very same mails, deletes them.
  config.leave_on_server = true;
  const std::string a = Mail("one", "1\n", "<same@example.jp>");
  const std::string b = Mail("two", "2\n", "<same@example.jp>");
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE(run);
    config.leave_on_server = run < 2;
    ScriptedLineSocket socket(Login() + Stat(2) + "C: UIDL\nS: -ERR no UIDL here\n" + Retr(1, a) +
                              Retr(2, b) + (run < 2 ? "" : Dele(1) + Dele(2)) + Quit());
    out = Receive(socket);
    EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
    EXPECT_TRUE(socket.Finished());
    EXPECT_EQ(out.stored, run == 0 ? 2 : 0);
    EXPECT_EQ(out.known, run == 0 ? 0 : 2);
  }
  ASSERT_EQ(store.CtMaster(), 5);
  EXPECT_EQ(Col(3, MastCol::kTitle) + Col(4, MastCol::kTitle), "onetwo");
}

TEST_F(MailTest, AHostileServerNeitherFillsMemoryNorHoldsTheReceiveNorGetsUnstoredMailDeleted) {
  // A count of two thousand million: nothing is allocated from it, and the message the
  // server cannot list ends the walk. Each retrieval has a deadline for its size.
  ScriptedLineSocket huge(Login() + "C: STAT\nS: +OK 2000000000 1000\n" + Uidl({"a", "b"}) +
                          Retr(1, kMail1) + Retr(2, kMail2) +
                          "C: LIST 3\nS: -ERR no such message\n" + Dele(1) + Dele(2) + Quit());
  JushinOutcome out = Receive(huge);
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_TRUE(huge.Finished());
  EXPECT_EQ(out.stored, 2);
  const auto budget = [](const std::string& mail) {
    return Pop3Client::kMailBaseMs + static_cast<int>(WireSize(mail) / Pop3Client::kMailBytesPerMs);
  };
  EXPECT_EQ(huge.deadlines(), (std::vector<int>{budget(kMail1), 0, budget(kMail2), 0}));

  // A mail that runs past the size the server gave is cut off; nothing is deleted.
  std::string endless = "C: LIST 1\nS: +OK 1 100\nC: RETR 1\nS: +OK\n";
  for (int i = 0; i < 1000; ++i) endless += "S: " + std::string(100, 'x') + "\n";
  ScriptedLineSocket longer(Login() + Stat(1) + Uidl({"c"}) + endless);
  out = Receive(longer);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(out.status.starts_with("メールがサーバーの示した大きさを超えました"_cp932))
      << Cp932ToUtf8(out.status);
  EXPECT_EQ(longer.sent().find("DELE"), std::string::npos);

  // A listing longer than the mailbox, a status line longer than any POP3 answer.
  ScriptedLineSocket listing(Login() + Stat(1) + Uidl({"d", "e"}));
  out = Receive(listing);
  EXPECT_TRUE(out.status.starts_with("UIDL の応答が正しくありません"_cp932))
      << Cp932ToUtf8(out.status);
  ScriptedLineSocket chatty("S: +OK " + std::string(Pop3Client::kMaxReplyBytes, 'x') + "\n");
  out = Receive(chatty);
  EXPECT_TRUE(out.status.starts_with("サーバーの応答が長すぎます"_cp932))
      << Cp932ToUtf8(out.status);

  // A mail larger than any the receive takes stays on the server; the next one is stored.
  ScriptedLineSocket giant(Login() + Stat(2) + Uidl({"f", "g"}) +
                           "C: LIST 1\nS: +OK 1 999999999999\n" + Retr(2, kMail3) + Dele(2) +
                           Quit());
  out = Receive(giant);
  EXPECT_TRUE(giant.Finished());
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.label, "ERROR(POP)");
  EXPECT_EQ(out.kept, 1);
  EXPECT_EQ(out.deleted, 1);
  EXPECT_EQ(SavedRecords(), 3);
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
