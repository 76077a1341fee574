// The receive keeps each mail's bytes as the server sent them, and a mail whose original cannot
// be written is not stored and stays on the server.
#include <gtest/gtest.h>

#include "mail/MailFixture.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

using namespace test;

const std::string kEmoji =
    "From: taro@example.jp\nTo: hanako@example.jp\nSubject: =?UTF-8?B?8J+YgA==?=\n"
    "Date: Tue, 1 Dec 2026 10:00:00\nContent-Type: text/plain; charset=UTF-8\n\n"
    "絵文字😀と𠮷野家\n.dot line\n";

class OriginalsReceiveTest : public MailTest {
 protected:
  OriginalsReceiveTest() { originals = &kept; }
  Originals kept{master};
};

TEST_F(OriginalsReceiveTest, EachMailKeepsTheBytesTheServerSentUnderItsRecordsKey) {
  // The second mail differs from the first in its body alone: both are stored, and neither may
  // take the other's original.
  const std::string twin = kEmoji.substr(0, kEmoji.find("\n\n") + 2) + "two\n";
  ScriptedLineSocket socket(Login() + Stat(2) + Uidl({"a", "b"}) + Retr(1, kEmoji) + Retr(2, twin) +
                            Dele(1) + Dele(2) + Quit());
  const JushinOutcome out = Receive(socket);
  ASSERT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  ASSERT_EQ(store.CtMaster(), 2);
  std::string bytes;
  ASSERT_TRUE(kept.OfRecord(store, 0, bytes));
  EXPECT_EQ(bytes, Crlf(kEmoji));  // the dot-stuffed line given back, nothing else changed
  EXPECT_EQ(Col(0, MastCol::kBody), "絵文字〓と〓野家\r\n.dot line");
  ASSERT_TRUE(kept.OfRecord(store, 1, bytes));
  EXPECT_EQ(bytes, Crlf(twin));
}

TEST_F(OriginalsReceiveTest, AMailWhoseOriginalCannotBeWrittenIsNotStoredAndStaysOnTheServer) {
  // Something in the way of the originals' folder: no original can be written.
  std::filesystem::create_directories(data_dir());
  WriteFileBytes(data_dir() / "Originals", "in the way");
  const std::string with_file =
      "From: a@example.jp\nSubject: files\nDate: Wed, 2 Dec 2026 08:30:00\n"
      "Content-Type: multipart/mixed; boundary=\"XX\"\n\n--XX\n"
      "Content-Type: text/plain\n\ntext\n--XX\nContent-Type: application/octet-stream; "
      "name=\"a.bin\"\nContent-Transfer-Encoding: base64\n\nYWxwaGEK\n--XX--\n";
  ScriptedLineSocket socket(Login() + Stat(1) + Uidl({"a"}) + Retr(1, with_file) + Quit());
  const JushinOutcome out = Receive(socket);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(socket.Finished());  // no DELE was sent
  EXPECT_EQ(out.kept, 1);
  EXPECT_EQ(out.stored, 0);
  EXPECT_EQ(store.CtMaster(), 0);
  EXPECT_NE(Cp932ToUtf8(out.status).find("Originals"), std::string::npos)
      << Cp932ToUtf8(out.status);
  // The attachment written before the original failed is gone again.
  EXPECT_FALSE(std::filesystem::exists(attach_dir() / "a.bin"));
}

}  // namespace
}  // namespace sorami
