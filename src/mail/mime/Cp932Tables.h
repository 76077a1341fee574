// Facts about the double-byte codes of code page 932 that the Japanese conversions need,
// read once from the system's code page conversion.
#pragma once

#include <cstdint>

namespace sorami::cp932 {

// "〓" in code page 932 and in JIS X 0208.
inline constexpr uint16_t kGetaSjis = 0x81AC;
inline constexpr uint16_t kGetaJis = 0x222E;

// The code Windows writes for the character of a double-byte code: the NEC-selected IBM
// rows (0xED, 0xEE) become the IBM rows (0xFA-0xFC), duplicates in the NEC row 13 become
// their JIS X 0208 codes. 0 when code page 932 does not define the code.
uint16_t Canonical(uint16_t sjis);

// For a code of the IBM rows (0xFA-0xFC), the code of the same character in a row that JIS
// can carry (JIS X 0208, NEC row 13 or the NEC-selected IBM rows); 0 when there is none.
uint16_t JisCarrier(uint16_t sjis);

}  // namespace sorami::cp932
