// The characters code page 932 cannot hold are found and named once each; those it holds
// (also beyond JIS X 0208, and a typed "〓") are not.
#include <gtest/gtest.h>

#include "compose/Unwritable.h"

namespace sorami {
namespace {

using Chars = std::vector<std::string>;

TEST(Unwritable, EachCharacterTheCodePageCannotHoldIsNamedOnce) {
  EXPECT_EQ(UnwritableChars("ａｂｃ ① 髙 〓 ｱ ～ plain"), Chars{});
  EXPECT_EQ(UnwritableChars("😀は𠮷野家😀で한국"), (Chars{"😀", "𠮷", "한", "국"}));
  ComposeFields typed;
  typed.to = "はなこ";
  typed.title = "週末😀";
  typed.body = "〓と😀と🎉";
  EXPECT_EQ(UnwritableChars(typed), (Chars{"😀", "🎉"}));
}

}  // namespace
}  // namespace sorami
