// Text of received mail in its declared or guessed character set, and the line store.
#include <gtest/gtest.h>

#include "MailTestUtil.h"
#include "mail/mime/MailCharset.h"
#include "mail/mime/MailLines.h"

namespace sorami {
namespace {

using test::Sj;
using test::U8;

TEST(Charsets, LabelsAreReadWhateverTheirCaseQuotesOrAliasesAndMissingOnesGuessed) {
  const std::string utf8 = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本
  EXPECT_EQ(U8(CharsetToSjis(utf8, "\"Utf-8\"")), "日本");
  EXPECT_EQ(U8(CharsetToSjis("\xEF\xBB\xBF" + utf8, "utf8")), "日本");  // a byte-order mark goes
  EXPECT_EQ(U8(CharsetToSjis("\xC6\xFC\xCB\xDC", "x-euc-jp")), "日本");
  EXPECT_EQ(U8(CharsetToSjis("\x93\xFA\x96\x7B", "windows-31j")), "日本");
  EXPECT_EQ(U8(CharsetToSjis("\x1B$BF|K\\\x1B(B", "csISO2022JP")), "日本");
  EXPECT_EQ(U8(CharsetToSjis("\xE0", "iso-8859-1")), "〓");
  // Mislabelled text: JIS escapes win over any label; 8-bit text labelled JIS is guessed.
  EXPECT_EQ(U8(CharsetToSjis("\x1B$BF|K\\\x1B(B", "us-ascii")), "日本");
  EXPECT_EQ(U8(CharsetToSjis(utf8, "iso-2022-jp")), "日本");
  EXPECT_EQ(U8(CharsetToSjis("\xC6\xFC\xCB\xDC", "no-such-charset")), "日本");
  EXPECT_EQ(U8(GuessToSjis(utf8)), "日本");  // unlabelled text is guessed
  // EUC-JP hiragana, undecided by the detector, parses as EUC-JP from start to end.
  EXPECT_EQ(U8(GuessToSjis("\xA4\xA2\xA4\xA4")), "あい");
  // Half-width katakana in Shift_JIS that is no valid EUC-JP stays Shift_JIS.
  EXPECT_EQ(U8(GuessToSjis("\xB1\xB2\xB3")), "ｱｲｳ");
  // So does half-width katakana alone that EUC-JP would read as kanji.
  EXPECT_EQ(U8(CharsetToSjis("\xB1\xB2\xB3\xB4", "")), "ｱｲｳｴ");
  EXPECT_EQ(U8(CharsetToSjis("\xC3\xDE\xB0\xC0 \xBB\xB0\xCB\xDE\xBD\xDE", "")), "ﾃﾞｰﾀ ｻｰﾋﾞｽﾞ");
}

TEST(Charsets, Utf8ValidationRejectsOverlongSurrogateAndCutSequences) {
  EXPECT_TRUE(IsValidUtf8("a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\x93\xFA"));          // Shift_JIS
}

TEST(Utf8ToSjis, DecodesUnitsStopsAtNulAndRefusesAStrayByte) {
  EXPECT_EQ(U8(Utf8ToSjis("a\xC3\x97\xE6\x97\xA5")), "a×日");
  EXPECT_EQ(U8(Utf8ToSjis("\xF0\x9F\x98\x80!")), "〓!");
  EXPECT_EQ(Utf8ToSjis(std::string("ab\0cd", 5)), "ab");
  try {
    Utf8ToSjis("ok\x80");
    FAIL() << "a continuation byte cannot start a character";
  } catch (const Utf8Error& e) {
    EXPECT_STREQ(e.what(), "UTF-8 Unknown code.");
  }
  EXPECT_THROW(Utf8ToSjis("\xF8\x88\x80\x80\x80"), Utf8Error);
}

TEST(MailLines, KeepViewsValidAcrossGrowthAndCopies) {
  // Splitting at CR LF and LF alone is read by every parse; here the storage.
  MailLines grown;
  for (int i = 0; i < 5000; ++i) grown.Add(std::string(i % 97, static_cast<char>('a' + i % 26)));
  grown.Add(std::string(200000, 'z'));  // longer than a storage chunk
  MailLines copy = grown;
  MailLines moved = std::move(grown);
  ASSERT_EQ(copy.size(), 5001u);
  for (int i = 0; i < 5000; ++i) {
    const std::string want(i % 97, static_cast<char>('a' + i % 26));
    ASSERT_EQ(copy[i], want);
    ASSERT_EQ(moved[i], want);
  }
  EXPECT_EQ(copy[5000].size(), 200000u);
}

}  // namespace
}  // namespace sorami
