// A glibc iconv conversion with a stand-in for what cannot be converted, shared by the
// code page and charset conversions of the platform layer.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sorami::detail {

// An iconv conversion descriptor. Descriptors are not thread-safe: one is used by one thread
// at a time. Each Run starts and ends in the initial shift state, so a descriptor serves any
// number of conversions.
class Iconv {
 public:
  // Throws when iconv does not know one of the two sets; see Opened().
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (!Opened()) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  // Does not throw: Opened() tells whether iconv knows the two sets.
  Iconv(const char* to, const char* from, std::nothrow_t) : cd_(iconv_open(to, from)) {}
  bool Opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  ~Iconv() {
    if (Opened()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts in; an input unit that cannot be converted is skipped (skip(in, offset) bytes
  // of it) and replaced by the bytes of replacement.
  template <typename Skip>
  std::string Run(std::string_view in, Skip skip_unit, std::string_view replacement) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // whatever an interrupted run left
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
      const size_t skip = errno == EINVAL
                              ? src_left
                              : std::max<size_t>(1, std::min(src_left, skip_unit(in, offset)));
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

}  // namespace sorami::detail
