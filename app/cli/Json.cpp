#include "cli/Json.h"

#include <cstdio>

#include "platform/Codepage.h"

namespace sorami::cli {

void AppendJsonUtf8(std::string& out, std::string_view utf8) {
  out += '"';
  size_t i = 0;
  while (i < utf8.size()) {
    // Runs that need no escape are copied whole.
    size_t j = i;
    while (j < utf8.size()) {
      const unsigned char c = static_cast<unsigned char>(utf8[j]);
      if (c < 0x20 || c == 0x7F || c == '"' || c == '\\') break;
      ++j;
    }
    out.append(utf8.data() + i, j - i);
    if (j == utf8.size()) break;
    const unsigned char c = static_cast<unsigned char>(utf8[j]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default: {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      }
    }
    i = j + 1;
  }
  out += '"';
}

void AppendJsonText(std::string& out, std::string_view cp932) {
  thread_local std::string utf8;  // kept: a listing prints hundreds of thousands of texts
  utf8.clear();
  AppendCp932AsUtf8(utf8, cp932);
  AppendJsonUtf8(out, utf8);
}

std::string JsonUtf8(std::string_view utf8) {
  std::string out;
  AppendJsonUtf8(out, utf8);
  return out;
}

std::string JsonText(std::string_view cp932) { return JsonUtf8(Cp932ToUtf8(cp932)); }

}  // namespace sorami::cli
