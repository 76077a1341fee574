#include "platform/Codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace sorami {

namespace {

// One iconv conversion descriptor per direction and call; iconv descriptors are not
// thread-safe, and opening one costs little next to the conversion itself.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts in; an input unit that cannot be converted is skipped (skip(in, offset) bytes
  // of it) and replaced by the bytes of replacement.
  template <typename Skip>
  std::string Run(std::string_view in, Skip skip_unit, std::string_view replacement) {
    std::string out;
    out.reserve(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buf[4096];
    while (src_left > 0) {
      char* dst = buf;
      size_t dst_left = sizeof buf;
      const size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ: not convertible; EINVAL: incomplete sequence at the end of the input.
      const size_t offset = in.size() - src_left;
      const size_t skip =
          errno == EINVAL ? src_left : std::max<size_t>(1, std::min(src_left, skip_unit(in, offset)));
      src += skip;
      src_left -= skip;
      out.append(replacement);
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf;
    size_t dst_left = sizeof buf;
    iconv(cd_, nullptr, nullptr, &dst, &dst_left);
    out.append(buf, static_cast<size_t>(dst - buf));
    return out;
  }

 private:
  iconv_t cd_;
};

// Bytes of one UTF-8 sequence starting with lead byte b (1 for a stray byte).
size_t Utf8SeqLen(std::string_view s, size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 1;
  for (size_t k = 1; k < n; ++k) {
    if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return k;
  }
  return n;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (cp932.empty()) return {};
  Iconv cv("UTF-8", "CP932");
  return cv.Run(cp932, [](std::string_view, size_t) -> size_t { return 1; }, "\xEF\xBF\xBD");
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  Iconv cv("CP932", "UTF-8");
  return cv.Run(utf8, Utf8SeqLen, kGetaMark);
}

std::u16string Cp932ToUtf16(std::string_view cp932) {
  const std::string le = [&] {
    if (cp932.empty()) return std::string();
    Iconv cv("UTF-16LE", "CP932");
    return cv.Run(cp932, [](std::string_view, size_t) -> size_t { return 1; },
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
