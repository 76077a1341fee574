// JSON text for the command line's output: strings are code page 932 converted to UTF-8
// (bytes that are not code page 932 become U+FFFD).
#pragma once

#include <string>
#include <string_view>

namespace sorami::cli {

// A JSON string literal of UTF-8 text.
std::string JsonUtf8(std::string_view utf8);
// A JSON string literal of code page 932 text.
std::string JsonText(std::string_view cp932);
// The same, appended to out.
void AppendJsonUtf8(std::string& out, std::string_view utf8);
void AppendJsonText(std::string& out, std::string_view cp932);

}  // namespace sorami::cli
