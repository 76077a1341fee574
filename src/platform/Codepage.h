// Conversion between code page 932 (the system's text) and Unicode.
//
// Bytes that are not valid code page 932 become U+FFFD on the way out; a character that
// code page 932 cannot hold becomes "〓" (0x81 0xAC) on the way in, never dropped.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

// "〓", the visible stand-in for a character code page 932 cannot hold.
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
