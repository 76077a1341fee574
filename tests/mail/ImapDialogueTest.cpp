// The IMAP dialogue and receive against scripted servers: login choices, literals, the
// response reader's bounds, a server that dies in the middle of a fetch, and deletion that
// never expunges another client's mail.
#include <gtest/gtest.h>

#include "mail/MailFixture.h"
#include "mail/imap/ImapClient.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using namespace test;

// The server's lines of one FETCH answer carrying a mail (LF lines), as a literal.
std::string FetchBody(int seq, uint32_t uid, const std::string& mail) {
  const std::string wire = Crlf(mail);
  std::string s = "S: * " + std::to_string(seq) + " FETCH (UID " + std::to_string(uid) +
                  " BODY[] {" + std::to_string(wire.size()) + "}\n";
  size_t start = 0;
  for (size_t lf; (lf = wire.find("\r\n", start)) != std::string::npos; start = lf + 2) {
    s += "S: " + wire.substr(start, lf - start) + "\n";
  }
  return s + "S: )\n";
}

const char kGreeting[] = "S: * OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] ready\n";

TEST(ImapNamesTest, FolderNamesAndUidSets) {
  EXPECT_EQ(ImapFolderName("INBOX"), "INBOX");
  EXPECT_EQ(ImapFolderName("a&b"), "a&-b");
  EXPECT_EQ(ImapFolderName("受信箱"_cp932), "&U9dP4Xux-");
  EXPECT_EQ(ImapFolderName("x/日本"_cp932), "x/&ZeVnLA-");
  EXPECT_EQ(UidSet({1, 2, 3, 5, 7, 8}), "1:3,5,7:8");
  EXPECT_EQ(UidSet({9}), "9");
}

TEST(ImapReaderTest, LiteralsAreReadWholeAndBounded) {
  size_t n = 0;
  EXPECT_TRUE(LiteralCount("* 1 FETCH (BODY[] {12}", n));
  EXPECT_EQ(n, 12u);
  EXPECT_TRUE(LiteralCount("{0+}", n));
  EXPECT_FALSE(LiteralCount("* OK {12} done", n));
  EXPECT_FALSE(LiteralCount("{123456789012345678901}", n));

  ScriptedLineSocket two("S: * 1 FETCH (A {3}\nS: x\nS: B {1}\nS: y)\n");
  std::string error;
  two.Connect("h", 1, SocketSecurity::kPlain, error);
  ImapReader reader(two);
  ImapResponse r;
  ASSERT_TRUE(reader.Read(r, error)) << error;
  ASSERT_EQ(r.literals.size(), 2u);
  EXPECT_EQ(r.literals[0], "x\r\n");
  EXPECT_EQ(r.literals[1], "y");
  EXPECT_EQ(r.text.back(), ")");
  EXPECT_EQ(r.word(), "1");

  // A literal over the limit is refused before a byte of it is read.
  ScriptedLineSocket big("S: * 1 FETCH (BODY[] {70000}\nS: never read\n");
  big.Connect("h", 1, SocketSecurity::kPlain, error);
  ImapReader bounded(big);
  EXPECT_FALSE(bounded.Read(r, error));
  EXPECT_FALSE(big.open());
}

class ImapScriptTest : public MailTest {
 protected:
  ImapScriptTest() { config.protocol = MailProtocol::kImap; }
};

TEST_F(ImapScriptTest, LoginWithoutPlainSendsThePasswordAsALiteralAfterTheGoAhead) {
  config.password = "pass\xe9";  // 8-bit: cannot be quoted
  config.leave_on_server = true;
  ScriptedLineSocket server(
      "S: * OK [CAPABILITY IMAP4rev1] hi\n"
      "C: A1 LOGIN \"taro\" {5}\n"
      "S: + go ahead\n"
      "C: pass\xe9\n"
      "S: A1 OK [CAPABILITY IMAP4rev1 UIDPLUS] in\n"
      "C: A2 EXAMINE \"INBOX\"\n"
      "S: * 0 EXISTS\nS: * OK [UIDVALIDITY 7] ok\nS: A2 OK [READ-ONLY] done\n"
      "C: A3 LOGOUT\nS: * BYE\nS: A3 OK bye\n");
  const JushinOutcome out = Receive(server);
  EXPECT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_TRUE(server.Finished());
}

TEST_F(ImapScriptTest, AServerDyingMidFetchLosesNothingAndDeletesNothing) {
  const std::string one = Mail("one", "1\n", "<1@x>"), two = Mail("two", "2\n", "<2@x>");
  std::string script =
      std::string(kGreeting) +
      "C: A1 AUTHENTICATE PLAIN\nS: +\nC: AHRhcm8AaGltaXRzdQ==\nS: A1 OK in\n"
      "C: A2 SELECT \"INBOX\"\n"
      "S: * 3 EXISTS\nS: * OK [UIDVALIDITY 7] ok\nS: A2 OK done\n"
      "C: A3 UID FETCH 1:* (UID RFC822.SIZE)\n"
      "S: * 1 FETCH (UID 4 RFC822.SIZE 200)\nS: * 2 FETCH (UID 5 RFC822.SIZE 200)\n"
      "S: * 3 FETCH (UID 6 RFC822.SIZE 200)\nS: A3 OK done\n"
      "C: A4 UID FETCH 4:6 (UID BODY.PEEK[])\n" +
      FetchBody(1, 4, one) + "S: * 2 FETCH (UID 5 BODY[] {180}\nS: From: cut\n";
  ScriptedLineSocket server(script);
  const JushinOutcome out = Receive(server);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.stored, 1);
  EXPECT_EQ(out.deleted, 0);
  EXPECT_EQ(SavedRecords(), 1);  // what came whole is saved
  EXPECT_EQ(Col(0, MastCol::kTitle), "one");

  // The next receive skips the stored mail by its UID and deletes only what it stored; the
  // server flags a mail of another client too, so nothing is expunged by EXPUNGE.
  ScriptedLineSocket again(std::string(kGreeting) +
                           "C: A1 AUTHENTICATE PLAIN\nS: +\nC: AHRhcm8AaGltaXRzdQ==\nS: A1 OK in\n"
                           "C: A2 SELECT \"INBOX\"\n"
                           "S: * 2 EXISTS\nS: * OK [UIDVALIDITY 7] ok\nS: A2 OK done\n"
                           "C: A3 UID FETCH 1:* (UID RFC822.SIZE)\n"
                           "S: * 1 FETCH (UID 4 RFC822.SIZE 200)\n"
                           "S: * 2 FETCH (UID 5 RFC822.SIZE 200)\nS: A3 OK done\n"
                           "C: A4 UID FETCH 5 (UID BODY.PEEK[])\n" +
                           FetchBody(2, 5, two) +
                           "S: A4 OK done\n"
                           "C: A5 UID STORE 4:5 +FLAGS.SILENT (\\Deleted)\nS: A5 OK done\n"
                           "C: A6 UID SEARCH DELETED\nS: * SEARCH 4 5 9\nS: A6 OK done\n"
                           "C: A7 LOGOUT\nS: A7 OK bye\n");
  const JushinOutcome next = Receive(again);
  EXPECT_TRUE(next.ok) << Cp932ToUtf8(next.status);
  EXPECT_EQ(next.stored, 1);
  EXPECT_EQ(next.known, 1);
  EXPECT_EQ(next.deleted, 0);
  EXPECT_TRUE(again.Finished());
  EXPECT_EQ(SavedRecords(), 2);
}

}  // namespace
}  // namespace sorami
