// Conversion between code page 932 (the system's text) and Unicode.
//
// Bytes that are not valid code page 932 become U+FFFD on the way out; a character that
// code page 932 cannot hold becomes "〓" (0x81 0xAC) on the way in, never dropped.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

std::string Cp932ToUtf8(std::string_view cp932);
// Cp932ToUtf8(cp932) appended to out, with no string in between (printing many texts).
void AppendCp932AsUtf8(std::string& out, std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

// A code page 932 text written as UTF-8 in the source: "受信箱"_cp932. The one way the code
// writes such texts; a text needed again and again is kept in a function-local static.
inline std::string operator""_cp932(const char* utf8, size_t n) {
  return Utf8ToCp932(std::string_view(utf8, n));
}

// "〓", the visible stand-in for a character code page 932 cannot hold. Written as bytes: it is
// the converter's own replacement, so the converter cannot make it.
inline constexpr std::string_view kGetaMark = "\x81\xAC";

}  // namespace sorami

#include <filesystem>

namespace sorami {

// A file-system path as code page 932 text (for messages and the log), and back.
inline std::string PathText(const std::filesystem::path& p) { return Utf8ToCp932(p.string()); }
inline std::filesystem::path FsPath(std::string_view cp932) {
  return std::filesystem::path(Cp932ToUtf8(cp932));
}

}  // namespace sorami
