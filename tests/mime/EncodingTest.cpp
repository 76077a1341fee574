// Base64 and quoted-printable.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "mail/mime/Base64.h"

namespace sorami {
namespace {

TEST(Base64, EncodesWithPaddingAndNoLineBreaks) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode(std::string("\xFB\xFF\xFE", 3)), "+//+");
  EXPECT_EQ(Base64Encode(std::string(100, 'x')).size(), 136u);
}

TEST(Base64, EveryDecoderInvertsTheEncoderForAnyLength) {
  for (size_t n = 0; n < 70; ++n) {
    std::mt19937 gen(static_cast<unsigned>(n));
    std::string data(n, '\0');
    for (char& c : data) c = static_cast<char>(gen());
    const std::string text = Base64Encode(data);
    EXPECT_EQ(Base64Decode(text), data) << n;
    EXPECT_EQ(Base64DecodeStrict(text), data) << n;
    // The same text cut into lines of 76 characters, as in a mail body.
    std::vector<std::string_view> lines;
    for (size_t i = 0; i < text.size(); i += 76)
      lines.push_back(std::string_view(text).substr(i, 76));
    std::string out;
    Base64DecodeLines(lines, out);
    EXPECT_EQ(out, data) << n;
  }
}

TEST(Base64, TheDecodersDifferOnBlanksForeignCharactersAndACutLastGroup) {
  // Tolerant: skips line ends; "*" in the second place of the second group keeps that place's
  // "m" of the first group; an incomplete last group is dropped.
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
  EXPECT_EQ(Base64Decode("Zm\n9vYg=="), "foob");
  EXPECT_EQ(Base64Decode("Zm9vY*Fy"), "foobar");
  EXPECT_EQ(Base64Decode("Zm9vYm"), "foo");
  // Strict: stops at a blank or NUL, keeps a cut last group, reads words run together.
  EXPECT_EQ(Base64DecodeStrict("  Zm9v"), "foo");
  EXPECT_EQ(Base64DecodeStrict("Zm9v YmFy"), "foo");
  EXPECT_EQ(Base64DecodeStrict(std::string("Zm9v\0YmFy", 9)), "foo");
  EXPECT_EQ(Base64DecodeStrict("Zm9vYg"), "foob");
  EXPECT_EQ(Base64DecodeStrict("Zg==Zm8="), "ffo");
  // By lines: foreign characters are ignored, a cut last group too.
  const std::vector<std::string_view> lines = {"Zm9v ", "\tYmFy!", "YmE"};
  std::string out;
  Base64DecodeLines(lines, out);
  EXPECT_EQ(out, "foobarba");
}

TEST(QuotedPrintable, QTextTurnsUnderscoresIntoBlanks) {
  EXPECT_EQ(DecodeQText("a_b=3D=e3=81=82"), "a b=\xE3\x81\x82");
  EXPECT_EQ(DecodeQText("bad=ZZend"), "bad@end");  // an invalid escape reads as 0x40
  EXPECT_EQ(DecodeQText("soft=\r\nbreak"), "softbreak");
  EXPECT_EQ(DecodeQText("soft=\nbreak"), "softbreak");
  EXPECT_EQ(DecodeQText("tail="), "tail=");
  EXPECT_EQ(DecodeQText("tail=4"), "tail=4");
}

TEST(QuotedPrintable, BodyDecoderJoinsSoftBreaksAndKeepsUnderscoresAndStrayEquals) {
  const std::vector<std::string_view> lines = {"snake_case =E6=97=A5=", "=E6=9C=AC  ", "x=y 1=", "",
                                               "=3D end"};
  EXPECT_EQ(DecodeQuotedPrintable(lines), "snake_case \xE6\x97\xA5\xE6\x9C\xAC\r\nx=y 1\r\n= end");
}

}  // namespace
}  // namespace sorami
