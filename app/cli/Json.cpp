#include "cli/Json.h"

#include <cstdio>

#include "platform/Codepage.h"

namespace sorami::cli {

std::string JsonUtf8(std::string_view utf8) {
  std::string out = "\"";
  for (const char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
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
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

std::string JsonText(std::string_view cp932) { return JsonUtf8(Cp932ToUtf8(cp932)); }

}  // namespace sorami::cli
