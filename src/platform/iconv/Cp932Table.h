// Code page 932 to UTF-8 through tables taken from iconv's own conversion: the same text
// iconv gives (U+FFFD for a byte it cannot convert), without a call into iconv per string.
#pragma once

#include <string>
#include <string_view>

namespace sorami::detail {

// The conversion through the tables; each double-byte row is made from iconv when a text
// first uses its lead byte.
std::string Cp932ToUtf8ByTable(std::string_view cp932);
// The same, appended to out.
void AppendCp932AsUtf8ByTable(std::string& out, std::string_view cp932);
// The same through iconv, text by text: what the tables are made from.
std::string Cp932ToUtf8ByIconv(std::string_view cp932);

}  // namespace sorami::detail
