// The recovery copy's bytes: every field and file comes back exactly, whatever it holds, and
// a file that is not a recovery copy is not read as one.
#include <gtest/gtest.h>

#include "compose/ComposeRecovery.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

TEST(RecoveryCopy, EveryFieldComesBackExactlyThroughTheFile) {
  test::ScratchDir dir;
  RecoveryCopy in;
  in.fields = {"はなこ, a@example.jp",  "cc=x", "b\\cc",    "",  "件名😀 𠮷",
               "一\r\n\\n二\n\n末尾\\", "家族", "一般連絡", true};
  in.attachments = {dir / "한국어 1.txt", "/tmp/a=b\\c"};
  std::string msg;
  ASSERT_TRUE(SaveRecovery(dir / "Data", in, msg)) << msg;
  EXPECT_EQ(std::filesystem::status(RecoveryFile(dir / "Data")).permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  RecoveryCopy out;
  ASSERT_TRUE(LoadRecovery(dir / "Data", out));
  const ComposeFields& a = in.fields;
  const ComposeFields& b = out.fields;
  EXPECT_EQ(std::tie(a.to, a.cc, a.bcc, a.reply_to, a.title, a.body, a.kankei, a.shubetsu),
            std::tie(b.to, b.cc, b.bcc, b.reply_to, b.title, b.body, b.kankei, b.shubetsu));
  EXPECT_TRUE(b.auto_kankei);
  EXPECT_EQ(out.attachments, in.attachments);

  ClearRecovery(dir / "Data");
  EXPECT_FALSE(LoadRecovery(dir / "Data", out));
}

TEST(RecoveryCopy, OtherBytesAreNoRecoveryCopy) {
  RecoveryCopy out;
  out.fields.to = "kept";
  EXPECT_FALSE(DecodeRecovery("", out));
  EXPECT_FALSE(DecodeRecovery("to=a\n", out));
  EXPECT_EQ(out.fields.to, "kept");
  // Names it does not know are skipped, the rest is read.
  ASSERT_TRUE(DecodeRecovery(EncodeRecovery({}) + "later=1\nto=b\n", out));
  EXPECT_EQ(out.fields.to, "b");
}

}  // namespace
}  // namespace sorami
