// Text of the site service: code page 932 bytes, their conversion to and from UTF-8 (command
// line, log), character-wise walking of double-byte text, and the field escaping of delivered
// message lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sorami::site {

// UTF-8 to code page 932. Throws std::runtime_error when a character has no code page 932 form.
std::string ToCp932(std::string_view utf8);
// The service's own Japanese texts are written in UTF-8 in the source and sent as code page 932.
inline std::string Sj(std::string_view utf8) { return ToCp932(utf8); }
// Code page 932 to UTF-8, for the log and the administrator; undecodable bytes become "?".
std::string ToUtf8(std::string_view cp932);

// Whether c starts a double-byte character of code page 932, and whether c can be its second
// byte.
bool IsLeadByte(unsigned char c);
bool IsTrailByte(unsigned char c);
// Length in bytes (1 or 2) of the character that starts at s[i]; a lead byte at the very end
// counts as one byte.
std::size_t CharLen(std::string_view s, std::size_t i);
// Replaces the character `from` by `to` wherever it starts at a character boundary.
std::string ReplaceChars(std::string_view s, std::string_view from, std::string_view to);

// The escaped form of a field inside a TAB-separated line: TAB becomes 0x0C 0x08, then CR LF
// becomes 0x0C 0x0B. UnescapeField is its inverse.
std::string EscapeField(std::string_view v);
// Appends the escaped form of v to out.
void AppendEscapedField(std::string& out, std::string_view v);
std::string UnescapeField(std::string_view v);

// Removes blanks (space, TAB, CR, LF) at both ends.
std::string Trim(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The local time as "yyyy/mm/dd hh:nn:ss".
std::string Now();

}  // namespace sorami::site
