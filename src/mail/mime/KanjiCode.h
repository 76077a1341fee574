// Japanese code detection and conversion among JIS (ISO-2022-JP), EUC-JP and Shift_JIS
// (code page 932, the system's own text), and widening of half-width characters.
//
// The conversions are byte filters written out here, not table look-ups of a library: mail
// on the wire is JIS, and the bytes each routine emits are fixed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorami {

// Code identifiers returned by DetectKanjiCode and taken as source and target codes.
enum KanjiCode : int {
  kCodeAscii = 0,      // no Japanese found (plain ASCII or too short)
  kCodeBinary = 1,     // control bytes
  kCodeJis = 2,        // JIS with ESC $ B
  kCodeJisOld = 3,     // JIS with the older ESC $ @
  kCodeEuc = 4,        // EUC-JP
  kCodeSjis = 5,       // Shift_JIS
  kCodeEucOrSjis = 6,  // EUC-JP or Shift_JIS, undecided
};

// Guesses the Japanese code of a byte string from its first telling bytes.
int DetectKanjiCode(std::string_view text);

// Converts text to the target code (kCodeJis, kCodeEuc or kCodeSjis) from its detected code.
// ASCII, binary and undecided text, and text already in the target code, come back unchanged.
std::string ConvertKanji(std::string_view text, int target);
// The same with the source code given instead of detected.
std::string ConvertKanjiFrom(std::string_view text, int source, int target);

// Shift_JIS to JIS: ESC $ B before double-byte text, ESC ( J before a single byte (and before
// CR or LF) after it; half-width katakana become full-width. No escape is added at the end.
std::string SjisToJis(std::string_view sjis);
// True when every character of the Shift_JIS text has a place in ISO-2022-JP as standard
// readers decode it: ASCII, half-width katakana (written as their full-width forms) and the
// characters of JIS X 0208. False for the NEC and IBM rows (①, Ⅰ, 髙 ...), user-defined
// characters, cells JIS X 0208 leaves empty and bytes that are no character.
bool FitsIso2022Jp(std::string_view sjis);
// EUC-JP to JIS, the same way.
std::string EucToJis(std::string_view euc);
// JIS (ISO-2022-JP as Windows reads it: the NEC and IBM rows of code page 932, half-width
// katakana after ESC ( I or between SO and SI) to Shift_JIS.
std::string JisToSjis(std::string_view jis);
// JIS to EUC-JP (half-width katakana as 0x8E pairs, JIS X 0212 as 0x8F triples).
std::string JisToEuc(std::string_view jis);
std::string EucToSjis(std::string_view euc);
std::string SjisToEuc(std::string_view sjis);

// One half-width katakana byte (0xA1-0xDF) as a JIS X 0208 pair (high byte << 8 | low byte).
// A voiced or semi-voiced mark in next that merges with the kana (ｶﾞ, ﾊﾟ, ｳﾞ) is consumed:
// consumed_next is set then. Pass 0 as next when no byte follows.
uint16_t HankakuToZenkaku(unsigned char kana, unsigned char next, bool& consumed_next);

// Widens half-width characters of Shift_JIS text: mode 1 ASCII only, mode 2 half-width
// katakana only, any other mode both.
std::string HankakuToZenkakuSjis(std::string_view sjis, int mode);

// The Shift_JIS pair of a JIS pair, and back (the arithmetic of the two codes only).
inline uint16_t JisPairToSjis(unsigned c1, unsigned c2) {
  const unsigned s2 = (c1 & 1) == 0 ? c2 + 0x7E : (c2 < 0x60 ? c2 + 0x1F : c2 + 0x20);
  const unsigned s1 = ((c1 + 1) >> 1) + (c1 < 0x5F ? 0x70 : 0xB0);
  return static_cast<uint16_t>(((s1 & 0xFF) << 8) | (s2 & 0xFF));
}
inline uint16_t SjisPairToJis(unsigned c1, unsigned c2) {
  const unsigned off = c1 < 0xA0 ? 0x70 : 0xB0;
  unsigned j1, j2;
  if (c2 < 0x9F) {
    j1 = ((c1 - off) << 1) - 1;
    j2 = c2 - (c2 < 0x80 ? 0x1F : 0x20);
  } else {
    j1 = (c1 - off) << 1;
    j2 = c2 - 0x7E;
  }
  return static_cast<uint16_t>(((j1 & 0xFF) << 8) | (j2 & 0xFF));
}

}  // namespace sorami
