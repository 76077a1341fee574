#include <gtest/gtest.h>

#include "compose/Signature.h"
#include "platform/Codepage.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

TEST(Signature, LinesRoundTripWithCrLfAndAMissingFileChangesNothing) {
  test::ScratchDir dir;
  std::string text = "kept", msg;
  EXPECT_FALSE(LoadShomei(text, dir / "Data", msg));
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(Cp932ToUtf8(msg).rfind("読込失敗 : ", 0), 0u);

  const std::string sig = Utf8ToCp932("--\nソラミ 太郎\n\nhttp://example.jp/");
  ASSERT_TRUE(SaveShomei(sig, dir / "Data", msg));  // the Data folder is made when missing
  EXPECT_EQ(Cp932ToUtf8(msg).rfind("保存完了 : ", 0), 0u);
  EXPECT_EQ(test::ReadFileBytes(dir / "Data" / "Shomei.dat"),
            Utf8ToCp932("--\r\nソラミ 太郎\r\n\r\nhttp://example.jp/\r\n"));
  ASSERT_TRUE(LoadShomei(text, dir / "Data", msg));
  EXPECT_EQ(text, sig);

  ASSERT_TRUE(SaveShomei("", dir / "Data", msg));
  EXPECT_EQ(test::ReadFileBytes(dir / "Data" / "Shomei.dat"), "");
}

}  // namespace
}  // namespace sorami
