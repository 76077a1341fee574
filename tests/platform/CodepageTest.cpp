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
  EXPECT_EQ(Utf8ToCp932("a😀b"),
            "a\x81\xAC"
            "b");
  EXPECT_EQ(Utf8ToCp932("x\xFFy"), "x\x81\xACy");  // broken UTF-8
  EXPECT_EQ(Utf8ToCp932("\xE3\x81"), "\x81\xAC");  // truncated sequence at the end
  EXPECT_EQ(Utf16ToCp932(u"a\U0001F600b"),
            "a\x81\xAC"
            "b");  // surrogate pair: one mark
}

TEST(Codepage, InvalidCodePage932BytesBecomeReplacementCharacters) {
  EXPECT_EQ(Cp932ToUtf8("a\xA0z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Cp932ToUtf8("a\x83"), "a\xEF\xBF\xBD");  // lone lead byte at the end
  EXPECT_EQ(Cp932ToUtf16("\x83\x5C"
                         "a"),
            u"ソa");
}

}  // namespace
}  // namespace sorami
