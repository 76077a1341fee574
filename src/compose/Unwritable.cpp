#include "compose/Unwritable.h"

#include <algorithm>

#include "platform/Codepage.h"

namespace sorami {

namespace {

// Occurrences of "〓" in code page 932 text, counted by characters.
size_t GetaCount(std::string_view cp932) {
  size_t n = 0;
  for (size_t i = 0; i < cp932.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 < cp932.size()) {
      if (cp932.substr(i, 2) == kGetaMark) ++n;
      ++i;
    }
  }
  return n;
}

// The length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
size_t SequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC2 && c < 0xE0) return 2;
  return 1;
}

}  // namespace

std::vector<std::string> UnwritableChars(std::string_view utf8) {
  std::vector<std::string> out;
  static const std::string geta = Cp932ToUtf8(kGetaMark);
  // Most texts convert whole: only then is each character looked at.
  const std::string whole = Utf8ToCp932(utf8);
  size_t typed_geta = 0;
  for (size_t at = utf8.find(geta); at != std::string_view::npos; at = utf8.find(geta, at + 1)) {
    ++typed_geta;
  }
  if (GetaCount(whole) == typed_geta) return out;
  for (size_t i = 0; i < utf8.size();) {
    const size_t n = std::min(SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    const std::string_view ch = utf8.substr(i, n);
    i += n;
    if (n == 1 || ch == geta) continue;  // ASCII always fits
    if (Utf8ToCp932(ch) == kGetaMark && std::find(out.begin(), out.end(), ch) == out.end()) {
      out.emplace_back(ch);
    }
  }
  return out;
}

std::vector<std::string> UnwritableChars(const ComposeFields& typed) {
  std::vector<std::string> out;
  for (const std::string* text : {&typed.to, &typed.cc, &typed.bcc, &typed.title, &typed.body}) {
    for (std::string& ch : UnwritableChars(*text)) {
      if (std::find(out.begin(), out.end(), ch) == out.end()) out.push_back(std::move(ch));
    }
  }
  return out;
}

std::string UnwritableNotice(const std::vector<std::string>& chars) {
  std::string out = "この文字は送れないため〓になります :";
  for (const std::string& ch : chars) out += " " + ch;
  return out;
}

}  // namespace sorami
