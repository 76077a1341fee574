#include "platform/Charset.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace sorami {

namespace {

// Labels that mail carries under a name iconv does not know, mapped to the set iconv knows
// for them (the superset the sending programs really use).
std::string IconvName(std::string_view label) {
  std::string name;
  for (char c : label) {
    const unsigned char u = static_cast<unsigned char>(c);
    // Only plain label characters: iconv gives "//" suffixes a meaning of their own.
    const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                    u == '-' || u == '_' || u == '.' || u == ':';
    if (!ok) return {};
    name += static_cast<char>((u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u);
  }
  if (name == "ks_c_5601-1987" || name == "ks_c_5601") return "CP949";
  if (name == "gb2312" || name == "x-gbk") return "GBK";
  if (name == "x-sjis") return "CP932";
  return name;
}

}  // namespace

bool CharsetToUtf8(std::string_view bytes, std::string_view charset, std::string& out) {
  const std::string name = IconvName(charset);
  if (name.empty()) return false;
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string result;
  result.reserve(bytes.size() * 2 + 16);
  char* src = const_cast<char*>(bytes.data());
  size_t src_left = bytes.size();
  char buf[4096];
  while (src_left > 0) {
    char* dst = buf;
    size_t dst_left = sizeof buf;
    const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    result.append(buf, static_cast<size_t>(dst - buf));
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // An invalid or incomplete sequence: one replacement character for its first byte.
    result.append("\xEF\xBF\xBD");
    ++src;
    --src_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = buf;
  size_t dst_left = sizeof buf;
  iconv(cd, nullptr, nullptr, &dst, &dst_left);
  result.append(buf, static_cast<size_t>(dst - buf));
  iconv_close(cd);
  out = std::move(result);
  return true;
}

}  // namespace sorami
