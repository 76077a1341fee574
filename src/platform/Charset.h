// Conversion of text in a named character set (a MIME charset label such as "iso-8859-1",
// "koi8-r" or "EUC-JP-MS") to UTF-8, for mail in sets the system has no own converter for.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

// Converts bytes in the named character set to UTF-8; a byte sequence that is not valid in
// that set becomes U+FFFD. Returns false, leaving out untouched, when the set is unknown.
bool CharsetToUtf8(std::string_view bytes, std::string_view charset, std::string& out);

}  // namespace sorami
