// Base64 and quoted-printable, the transfer encodings of mail.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace sorami {

// Standard alphabet, "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);

// The tolerant decoder: CR and LF are skipped anywhere; every full group of four characters
// gives three bytes (fewer after "="); a character outside the alphabet keeps the value its
// place had in the previous group. A trailing incomplete group is dropped.
std::string Base64Decode(std::string_view text);

// The strict decoder of encoded words: leading blanks are skipped; decoding stops at a NUL,
// a blank, a character outside the alphabet or the end; "=" pads a group. A final group cut
// short (a word whose padding was lost) still gives the bytes its characters hold.
std::string Base64DecodeStrict(std::string_view text);

// Decodes base64 spread over lines, as in a mail body: characters outside the alphabet
// (blanks, line ends, stray marks) are ignored, "=" ends a group, and a truncated last group
// gives what it holds. Appends to out.
void Base64DecodeLines(std::span<const std::string_view> lines, std::string& out);

// Q encoding of encoded words: "_" is a blank, "=XY" the byte XY (an invalid pair gives
// 0x40), "=" before a line end is a soft line break and goes with the line end.
std::string DecodeQText(std::string_view text);

// Quoted-printable of a body: "=XY" is the byte XY, "=" at the end of a line joins the line
// with the next, trailing blanks of a line go, anything else (an "=" that starts no escape
// included) stands as it is. Lines are joined with CR LF.
std::string DecodeQuotedPrintable(std::span<const std::string_view> lines);

}  // namespace sorami
