#include "platform/Codepage.h"

#include <cstdint>
#include <cstring>

#include "platform/iconv/Cp932Table.h"
#include "platform/iconv/Iconv.h"

namespace sorami {

namespace {

using detail::Iconv;

// Bytes of one UTF-8 sequence starting with lead byte b (1 for a stray byte).
size_t Utf8SeqLen(std::string_view s, size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 1;
  for (size_t k = 1; k < n; ++k) {
    if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return k;
  }
  return n;
}

// Whether every byte is below 0x80: such a text is the same bytes in code page 932 and in
// UTF-8 (both keep ASCII as it is, the backslash and the tilde included).
bool IsAscii(std::string_view s) {
  uint64_t any_high = 0;
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    any_high |= word;
  }
  for (; i < s.size(); ++i) any_high |= static_cast<unsigned char>(s[i]);
  return (any_high & 0x8080808080808080ull) == 0;
}

// One descriptor per thread for the whole run: opening one costs more than
// converting a line of the message list.
Iconv& FromUtf8ToCp932() {
  thread_local Iconv cv("CP932", "UTF-8");
  return cv;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  // Through tables made from iconv: the same text, without a call into iconv for each one.
  return detail::Cp932ToUtf8ByTable(cp932);
}

void AppendCp932AsUtf8(std::string& out, std::string_view cp932) {
  if (IsAscii(cp932)) {
    out.append(cp932);
  } else {
    detail::AppendCp932AsUtf8ByTable(out, cp932);
  }
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return FromUtf8ToCp932().Run(utf8, Utf8SeqLen, kGetaMark);
}

std::u16string Cp932ToUtf16(std::string_view cp932) {
  const std::string le = [&] {
    if (cp932.empty()) return std::string();
    Iconv cv("UTF-16LE", "CP932");
    return cv.Run(
        cp932, [](std::string_view, size_t) -> size_t { return 1; },
        std::string_view("\xFD\xFF", 2));
  }();
  std::u16string out(le.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * i]) |
                                   (static_cast<unsigned char>(le[2 * i + 1]) << 8));
  }
  return out;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  std::string le(utf16.size() * 2, '\0');
  for (size_t i = 0; i < utf16.size(); ++i) {
    le[2 * i] = static_cast<char>(utf16[i] & 0xFF);
    le[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
  }
  Iconv cv("CP932", "UTF-16LE");
  // A surrogate pair is one character: skip both halves together.
  auto skip = [](std::string_view s, size_t i) -> size_t {
    const unsigned hi = static_cast<unsigned char>(s[i + 1]);
    return (hi >= 0xD8 && hi <= 0xDB && i + 4 <= s.size()) ? 4 : 2;
  };
  return cv.Run(le, skip, kGetaMark);
}

}  // namespace sorami
