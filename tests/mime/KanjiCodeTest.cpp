// Japanese code detection and conversion, checked against outside data (the cpython samples
// and the WHATWG tables) and the worked examples of the conversions.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "MailTestUtil.h"
#include "base/MbText.h"
#include "mail/mime/KanjiCode.h"

namespace sorami {
namespace {

using test::MailData;
using test::Sj;
using test::U8;

const std::string kKanjiIn = "\x1B$B";
const std::string kRomanIn = "\x1B(J";

// Rows "pointer <TAB> code point" of a WHATWG index file.
std::vector<std::pair<unsigned, char32_t>> ReadIndex(const std::string& name) {
  std::vector<std::pair<unsigned, char32_t>> rows;
  std::istringstream in(MailData("whatwg-encoding/" + name));
  std::string line;
  while (std::getline(in, line)) {  // comment lines do not scan
    unsigned pointer = 0;
    unsigned long cp = 0;
    if (std::sscanf(line.c_str(), " %u 0x%lx", &pointer, &cp) == 2) {
      rows.emplace_back(pointer, static_cast<char32_t>(cp));
    }
  }
  return rows;
}

std::string Utf8Of(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  if (cp < 0x800) return {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
  return {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
          static_cast<char>(0x80 | (cp & 0x3F))};
}

TEST(DetectKanjiCode, TellsEachCodeFromItsBytes) {
  EXPECT_EQ(DetectKanjiCode(""), kCodeAscii);
  EXPECT_EQ(DetectKanjiCode("bell \x07 here"), kCodeBinary);
  EXPECT_EQ(DetectKanjiCode("ab\xFF.cd"), kCodeBinary);
  EXPECT_EQ(DetectKanjiCode("x" + kKanjiIn + "$3$s(J"), kCodeJis);
  EXPECT_EQ(DetectKanjiCode("x\x1B$@$3$s"), kCodeJisOld);
  EXPECT_EQ(DetectKanjiCode(MailData("cpython-cjkencodings/euc_jp.txt")), kCodeEuc);
  EXPECT_EQ(DetectKanjiCode(MailData("cpython-cjkencodings/shift_jis.txt")), kCodeSjis);
  EXPECT_EQ(DetectKanjiCode(MailData("cpython-cjkencodings/iso2022_jp.txt")), kCodeJis);
  // EUC-JP hiragana read as Shift_JIS would be half-width katakana: undecided.
  EXPECT_EQ(DetectKanjiCode("\xA4\xA2\xA4\xA4"), kCodeEucOrSjis);
  // The last byte is never looked at on its own.
  EXPECT_EQ(DetectKanjiCode("abc\x82"), kCodeAscii);
  // Control bytes count as binary in the first 512 bytes, later only until the code is known.
  EXPECT_EQ(DetectKanjiCode(std::string(500, 'a') + "\x01" + Sj("日本")), kCodeBinary);
  EXPECT_EQ(DetectKanjiCode(Sj("日本") + std::string(600, 'a') + "\x01" + "b"), kCodeSjis);
}

TEST(KanjiConversion, CpythonSamplesConvertIntoOneAnotherByteForByte) {
  const std::string sjis = MailData("cpython-cjkencodings/shift_jis.txt");
  const std::string euc = MailData("cpython-cjkencodings/euc_jp.txt");
  const std::string jis = MailData("cpython-cjkencodings/iso2022_jp.txt");
  // The sample returns to ASCII with ESC ( B where outgoing mail writes ESC ( J.
  std::string jis_roman = jis;
  ReplaceAll("\x1B(B", "\x1B(J", jis_roman);

  EXPECT_EQ(JisToSjis(jis), sjis);
  EXPECT_EQ(JisToEuc(jis), euc);
  EXPECT_EQ(EucToSjis(euc), sjis);
  EXPECT_EQ(SjisToEuc(sjis), euc);
  EXPECT_EQ(SjisToJis(sjis), jis_roman);
  EXPECT_EQ(EucToJis(euc), jis_roman);
  EXPECT_EQ(U8(sjis), MailData("cpython-cjkencodings/shift_jis-utf8.txt"));
}

TEST(KanjiConversion, EveryRowOfCodePage932ComesThroughJisAndEucIbmAndNecRowsIncluded) {
  // Pointers below 94 * 94: JIS X 0208 with the NEC row 13 and the NEC-selected IBM rows, read
  // from JIS and EUC-JP; above: the IBM rows, reached only from Shift_JIS, by a round trip.
  int direct = 0;
  for (const auto& [pointer, cp] : ReadIndex("index-jis0208.txt")) {
    const std::string sjis = Utf8ToCp932(Utf8Of(cp));
    ASSERT_EQ(sjis.size(), 2u) << "pointer " << pointer;
    ASSERT_EQ(U8(JisToSjis(SjisToJis(sjis))), Utf8Of(cp)) << "pointer " << pointer;
    ASSERT_EQ(U8(EucToSjis(SjisToEuc(sjis))), Utf8Of(cp)) << "pointer " << pointer;
    if (pointer >= 94 * 94) continue;
    const char c1 = static_cast<char>(0x21 + pointer / 94),
               c2 = static_cast<char>(0x21 + pointer % 94);
    ASSERT_EQ(U8(JisToSjis(kKanjiIn + c1 + c2)), Utf8Of(cp)) << "pointer " << pointer;
    const std::string euc = {static_cast<char>(c1 | 0x80), static_cast<char>(c2 | 0x80)};
    ASSERT_EQ(U8(EucToSjis(euc)), Utf8Of(cp)) << "pointer " << pointer;
    ++direct;
  }
  EXPECT_GT(direct, 7000);
  // ① ㈱ 髙 as Windows writes them: the NEC row 13 in JIS, 髙 by its NEC-selected code.
  EXPECT_EQ(SjisToJis(Sj("①㈱")), kKanjiIn + "-!-j");
  EXPECT_EQ(SjisToJis(Sj("髙")), kKanjiIn + "|b");
  // JIS of the NEC-selected row comes back as the IBM code Windows uses.
  EXPECT_EQ(JisToSjis(kKanjiIn + "|b"), "\xFB\xFC");
}

TEST(KanjiConversion, WhatCodePage932CannotHoldBecomesGeta) {
  // JIS X 0212 (ESC $ ( D): 丂 has no place in code page 932, ⅰ has (IBM row).
  EXPECT_EQ(U8(JisToSjis("\x1B$(D0!\x1B(B")), "〓");
  EXPECT_EQ(U8(JisToSjis("\x1B$(D\x73\x73\x1B(B")), "ⅰ");
  // A JIS cell code page 932 leaves empty, a pair cut in half, a foreign 94x94 set.
  EXPECT_EQ(U8(JisToSjis(kKanjiIn + "\x29\x21")), "〓");
  EXPECT_EQ(U8(JisToSjis(kKanjiIn + "$\"$\n")), "あ〓\n");
  EXPECT_EQ(U8(JisToSjis("\x1B$A0!")), "〓");
  // JIS X 0213 where code page 932 has other kanji (its IBM rows): unknown, not wrong.
  EXPECT_EQ(U8(JisToSjis("\x1B$(Q|b")), "〓");
  EXPECT_EQ(U8(JisToSjis("\x1B$(Q$\"")), "あ");
  // User-defined characters and bytes that are no character have no JIS form.
  EXPECT_EQ(SjisToJis("\xF0\x40"), kKanjiIn + "\x22\x2E");
  EXPECT_EQ(SjisToJis("\xA0"), kKanjiIn + "\x22\x2E");
  EXPECT_EQ(U8(EucToSjis("\xB0")), "〓");
}

TEST(FitsIso2022Jp, ExactlyTheCharactersOfJisX0208AsciiAndHalfWidthKana) {
  // Every cell of JIS X 0208 has one Shift_JIS pair below lead byte 0xF0: 6,879 characters.
  int fits = 0;
  for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (trail != 0x7F && FitsIso2022Jp(std::string_view(pair, 2))) ++fits;
    }
  }
  EXPECT_EQ(fits, 6879);
  EXPECT_TRUE(FitsIso2022Jp(Sj("ソ表～∵〓 abc\\~ ｶﾞ")));
  for (const char* outside : {"①", "Ⅰ", "髙", "纊"})
    EXPECT_FALSE(FitsIso2022Jp(Sj(outside))) << outside;
  EXPECT_FALSE(FitsIso2022Jp("\xF0\x40"));  // user-defined
  EXPECT_FALSE(FitsIso2022Jp("\xA0"));      // no character
  EXPECT_FALSE(FitsIso2022Jp("\x88"));      // half a pair
}

TEST(KanjiConversion, JisModesOpenAndCloseAtTheRightPlaces) {
  // Not closed at the end, but before line ends.
  const std::string gagi = "\xB6\xDE\xB7\xDE";  // ｶﾞｷﾞ
  EXPECT_EQ(SjisToJis(gagi), kKanjiIn + "\x25\x2C\x25\x2E");
  EXPECT_EQ(SjisToJis(gagi + "\r\n"), kKanjiIn + "\x25\x2C\x25\x2E" + kRomanIn + "\r\n");
  EXPECT_EQ(SjisToJis(Sj("日本") + "a" + Sj("語")),
            kKanjiIn + "F|K\\" + kRomanIn + "a" + kKanjiIn + "8l");
  // The older escape ESC $ @ reads like ESC $ B; half-width katakana by escape or by shift.
  EXPECT_EQ(JisToSjis("\x1B$@F|K\\\x1B(J"), Sj("日本"));
  EXPECT_EQ(U8(JisToSjis("\x1B(I1234\x1B(B!")), "ｱｲｳｴ!");
  EXPECT_EQ(U8(JisToSjis("a\0166^\017b")), "aｶﾞb");
  EXPECT_EQ(JisToEuc("\x1B(I1"), "\x8E\xB1");
}

TEST(HankakuToZenkaku, EveryKatakanaRowMatchesTheTable) {
  const auto rows = ReadIndex("index-iso-2022-jp-katakana.txt");
  ASSERT_EQ(rows.size(), 63u);
  for (const auto& [pointer, cp] : rows) {
    const unsigned char kana = static_cast<unsigned char>(0xA1 + pointer);
    bool consumed = true;
    const uint16_t jis = HankakuToZenkaku(kana, 0, consumed);
    EXPECT_FALSE(consumed);
    const std::string pair = {static_cast<char>(jis >> 8), static_cast<char>(jis & 0xFF)};
    EXPECT_EQ(U8(JisToSjis(kKanjiIn + pair)), Utf8Of(cp)) << "kana " << std::hex << int(kana);
    // The high byte is 0x21 exactly for the symbol rows.
    const bool symbol = kana <= 0xA5 || kana == 0xB0 || kana == 0xDE || kana == 0xDF;
    EXPECT_EQ(jis >> 8, symbol ? 0x21 : 0x25);
  }
}

TEST(HankakuToZenkaku, MarksMergeOnlyWithKanaThatTakeThem) {
  bool consumed = false;
  EXPECT_EQ(HankakuToZenkaku(0xB6, 0xDE, consumed), 0x252C);  // ｶﾞ ガ
  EXPECT_TRUE(consumed);
  EXPECT_EQ(HankakuToZenkaku(0xCA, 0xDF, consumed), 0x2551);  // ﾊﾟ パ
  EXPECT_TRUE(consumed);
  EXPECT_EQ(HankakuToZenkaku(0xB3, 0xDE, consumed), 0x2574);  // ｳﾞ ヴ
  EXPECT_TRUE(consumed);
  EXPECT_EQ(HankakuToZenkaku(0xBB, 0xDF, consumed), 0x2535);  // ｻﾟ: サ, mark not taken
  EXPECT_FALSE(consumed);

  EXPECT_EQ(SjisToJis("\xBB\xDF"), kKanjiIn + "\x25\x35\x21\x2C");  // サ゜
  EXPECT_EQ(SjisToJis("\xDE"), kKanjiIn + "\x21\x2B");              // ゛
  // In EUC-JP the mark carries its own 0x8E.
  EXPECT_EQ(EucToJis("\x8E\xB6\x8E\xDE"), kKanjiIn + "\x25\x2C");
  EXPECT_EQ(EucToSjis("\x8E\xB6\x8E\xDE"), "\xB6\xDE");  // stays half-width
}

TEST(HankakuToZenkakuSjis, WidensByMode) {
  const std::string text = "Ab1 ~" + std::string("\xB6\xDE\xCA\xDF\xB3\xDE") + Sj("漢");
  EXPECT_EQ(U8(HankakuToZenkakuSjis(text, 1)), "Ａｂ１　￣ｶﾞﾊﾟｳﾞ漢");
  EXPECT_EQ(U8(HankakuToZenkakuSjis(text, 2)), "Ab1 ~ガパウ゛漢");
  EXPECT_EQ(U8(HankakuToZenkakuSjis(text, 0)), "Ａｂ１　￣ガパウ゛漢");
  // Every half-width katakana widens to the character the JIS conversion gives it.
  for (unsigned k = 0xA1; k <= 0xDF; ++k) {
    const std::string one(1, static_cast<char>(k));
    EXPECT_EQ(HankakuToZenkakuSjis(one, 2), JisToSjis(SjisToJis(one))) << std::hex << k;
  }
  // Printable ASCII widens to its full-width form, except the quotes, the tilde and the
  // backslash (the yen sign of code page 932), which take the marks of the JIS row.
  for (char32_t c = 0x21; c <= 0x7E; ++c) {
    if (c == '"' || c == '\'' || c == '`' || c == '~' || c == '\\') continue;
    const std::string one(1, static_cast<char>(c));
    EXPECT_EQ(U8(HankakuToZenkakuSjis(one, 1)), Utf8Of(c + 0xFEE0)) << char(c);
  }
  EXPECT_EQ(U8(HankakuToZenkakuSjis("\"'`~\\", 1)), "”’‘￣￥");
}

TEST(ConvertKanji, LeavesWhatItCannotOrNeedNotConvert) {
  const std::string sjis = Sj("日本");
  EXPECT_EQ(ConvertKanji("ascii only", kCodeSjis), "ascii only");
  EXPECT_EQ(ConvertKanji("bin\x01" + sjis, kCodeJis), "bin\x01" + sjis);
  EXPECT_EQ(ConvertKanji(sjis, kCodeSjis), sjis);
  EXPECT_EQ(ConvertKanji("\xA4\xA2\xA4\xA4", kCodeSjis), "\xA4\xA2\xA4\xA4");  // undecided
  EXPECT_EQ(ConvertKanjiFrom(kKanjiIn + "F|", kCodeJisOld, kCodeJis), kKanjiIn + "F|");
  EXPECT_EQ(ConvertKanjiFrom(sjis, kCodeSjis, kCodeEuc), "\xC6\xFC\xCB\xDC");
}

}  // namespace
}  // namespace sorami
