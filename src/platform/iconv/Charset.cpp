#include "platform/Charset.h"

#include <new>
#include <string>

#include "platform/iconv/Iconv.h"

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
  detail::Iconv cv("UTF-8", name.c_str(), std::nothrow);
  if (!cv.Opened()) return false;
  // An invalid or incomplete sequence: one replacement character for its first byte.
  out = cv.Run(
      bytes, [](std::string_view, size_t) -> size_t { return 1; }, "\xEF\xBF\xBD");
  return true;
}

}  // namespace sorami
