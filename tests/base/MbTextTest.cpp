#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "base/MbText.h"

namespace sorami {
namespace {

// Code page 932 bytes of some characters used below.
const std::string kSo = "\x83\x5C";   // ソ: second byte is the backslash
const std::string kHyo = "\x95\x5C";  // 表: second byte is the backslash
const std::string kA = "\x83\x41";    // ア: second byte is 'A'
const std::string kKan = "\x8A\xBF";  // 漢
const std::string kJi = "\x8E\x9A";   // 字

TEST(MbText, LengthCopyAndPosCountDoubleByteCharactersOnceAndALoneLeadByteAtTheEndAsOne) {
  EXPECT_EQ(MbLength("abc"), 3);
  EXPECT_EQ(MbLength(kKan + kJi + "x"), 3);
  EXPECT_EQ(MbLength("ab\x83"), 3);    // lead byte as the last byte is a character of its own
  EXPECT_EQ(MbLength("\x83\x09"), 1);  // any byte after a lead byte belongs to it

  const std::string five_kanji = kKan + kJi + kKan + kJi + kKan;
  const std::string text = five_kanji + "abcde" + "xyz";
  EXPECT_EQ(MbCopy(text, 1, 10), five_kanji + "abcde");
  EXPECT_EQ(MbCopy(text, 0, 2), kKan + kJi);  // index 0 counts as 1
  EXPECT_EQ(MbCopy(text, 2, 1), kJi);
  EXPECT_EQ(MbCopy(text, 6, 100), "abcdexyz");
  EXPECT_EQ(MbCopy(text, 1, 0), "");
  EXPECT_EQ(MbCopy(text, -1, 3), "");
  EXPECT_EQ(MbCopy(text, 14, 3), "");  // starts beyond the end
  // Pos never matches inside a double-byte character.
  EXPECT_EQ(MbPos("\\", kSo + "\\"), 2);  // the 0x5C of ソ is not a backslash
  EXPECT_EQ(MbPos("\\", kHyo + kSo), 0);
  EXPECT_EQ(MbPos("A", kA + "A"), 2);  // the 'A' inside ア is not a letter
  EXPECT_EQ(MbPos(kJi, kKan + kJi), 2);
  EXPECT_EQ(MbPos("\x9A", kKan + kJi), 0);    // half of 字 never matches alone
  EXPECT_EQ(MbPos("x\x83", "x\x83\x41"), 0);  // a lone lead byte does not pair with half of ア
  EXPECT_EQ(MbPos("", "abc"), 0);
  EXPECT_EQ(MbPos("bc", "abcbc"), 2);
}

TEST(MbText, SplitTokenCutsAtWholeCharactersAndIgnoresLatinCase) {
  struct Case {
    std::string separator, text, token, rest;
  };
  const std::vector<Case> cases = {
      {"\t", "a\tb", "a", "b"},
      {"\t", "", "", ""},
      {"(", "no paren", "no paren", ""},
      {"a", "xxAyyaz", "xx", "yyaz"},
      {"\\", kSo + kHyo + "\\rest", kSo + kHyo, "rest"},  // second bytes 0x5C are no separator
      // Folding case changes single-byte letters only: ア (0x83 0x41) does not become 0x83 0x61.
      {"A", kA + "a" + kA, kA, kA},
      {"a", "\x83\x61Z", "\x83\x61Z", ""},  // ャ, second byte 'a'
  };
  for (const Case& c : cases) {
    std::string text = c.text, token = "stale";
    SplitToken(c.separator, text, token);
    EXPECT_EQ(token, c.token) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
  // Trailing separator: no empty last field; adjacent separators: an empty field between.
  std::string text = "1;;2;", token;
  std::vector<std::string> fields;
  while (!text.empty()) {
    SplitToken(";", text, token);
    fields.push_back(token);
  }
  EXPECT_EQ(fields, (std::vector<std::string>{"1", "", "2"}));
}

TEST(MbText, Format4dPadsToFourDigitsAsPrintfDoes) {
  for (long v :
       {0L, 7L, 42L, 999L, 1000L, 9999L, 10000L, 123456L, 2147483647L, -1L, -5L, -12345L}) {
    char want[32];
    std::snprintf(want, sizeof want, "%4.4ld", v);
    EXPECT_EQ(Format4d(v), want) << v;
  }
}

TEST(MbText, ReplaceAllReplacesEveryWholeCharacterOccurrenceWithoutOverlap) {
  const std::vector<std::array<std::string, 4>> cases = {
      {"aa", "b", "aaa", "ba"},
      {"\\", "/", kSo + "\\" + kSo, kSo + "/" + kSo},
      {"<BR>", "\r\n", "<BR>x<BR>", "\r\nx\r\n"},
      {"a", "aa", "abc", "aabc"},  // the replacement text is not scanned again
  };
  for (auto [from, to, text, expected] : cases) {
    ReplaceAll(from, to, text);
    EXPECT_EQ(text, expected) << from;
  }
}

}  // namespace
}  // namespace sorami
