// Text of received mail in whatever character set it came, turned into code page 932.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace sorami {

// Converts text declared in the named MIME charset (any case, quotes allowed) to code page
// 932. UTF-8, ISO-2022-JP, EUC-JP, Shift_JIS and CP932 go through the system's own converters;
// other known sets through the platform; US-ASCII, an empty or an unknown label through
// GuessToSjis. A character code page 932 cannot hold becomes "〓".
std::string CharsetToSjis(std::string_view bytes, std::string_view charset);

// Converts text declared in the named MIME charset to UTF-8, keeping every character the text
// holds. Japanese sets go through the system's own converters (so the characters of code page
// 932 that plain JIS lacks, such as ① or half-width katakana, survive); other known sets
// through the platform; an empty, ASCII or unknown label: valid UTF-8 stands as it is,
// anything else is guessed as GuessToSjis does. Bytes that are not valid UTF-8 in a UTF-8 text
// become U+FFFD.
std::string CharsetToUtf8Text(std::string_view bytes, std::string_view charset);

// Converts text whose character set nobody declared: JIS escapes mean ISO-2022-JP, valid
// UTF-8 with non-ASCII characters means UTF-8, otherwise DetectKanjiCode decides between
// EUC-JP and Shift_JIS (undecided text that is valid EUC-JP is read as EUC-JP).
std::string GuessToSjis(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// The error Utf8ToSjis raises on a byte that cannot start a UTF-8 sequence.
class Utf8Error : public std::runtime_error {
 public:
  Utf8Error() : std::runtime_error("UTF-8 Unknown code.") {}
};

// Decodes UTF-8 into 16-bit units and converts them to Shift_JIS: a lead byte 0x80-0xBF or
// 0xF8-0xFF raises Utf8Error; conversion stops at the first NUL; continuation bytes are taken
// as they come; a character beyond the basic plane becomes "〓".
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace sorami
