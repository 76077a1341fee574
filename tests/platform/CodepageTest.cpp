#include <gtest/gtest.h>

#include "platform/Codepage.h"

namespace sorami {
namespace {

TEST(Codepage, UsesTheWindowsCodePageNotPlainShiftJis) {
  EXPECT_EQ(Utf8ToCp932("①"), "\x87\x40");  // NEC row
  EXPECT_EQ(Utf8ToCp932("ソ"), "\x83\x5C");
  EXPECT_EQ(Utf8ToCp932("～"), "\x81\x60");  // FULLWIDTH TILDE, the Windows mapping
  EXPECT_EQ(Utf8ToCp932("髙"), "\xFB\xFC");  // IBM extension
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");
  EXPECT_EQ(Cp932ToUtf8("\xB1\xB2"), "ｱｲ");  // half-width katakana
}

TEST(Codepage, CharactersCodePage932CannotHoldBecomeAVisibleMark) {
  const std::string geta = "\x81\xAC";  // 〓
  EXPECT_EQ(Utf8ToCp932("a😀b"), "a" + geta + "b");
  EXPECT_EQ(Utf8ToCp932("x\xFFy"), "x" + geta + "y");          // broken UTF-8
  EXPECT_EQ(Utf8ToCp932("\xE3\x81"), geta);                    // truncated sequence at the end
  EXPECT_EQ(Utf16ToCp932(u"a\U0001F600b"), "a" + geta + "b");  // surrogate pair: one mark
}

TEST(Codepage, InvalidCodePage932BytesBecomeReplacementCharacters) {
  EXPECT_EQ(Cp932ToUtf8("a\xA0z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Cp932ToUtf8("a\x83"), "a\xEF\xBF\xBD");  // lone lead byte at the end
  EXPECT_EQ(Cp932ToUtf16("\x83\\a"), u"ソa");        // 0x5C, the second byte of ソ, is no "\\"
}

}  // namespace
}  // namespace sorami
