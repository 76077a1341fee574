// The one crossing between the system's text (code page 932 bytes) and the text of the
// widgets. Windows convert here and nowhere else.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/Codepage.h"

namespace sorami {

// Code page 932 bytes as widget text; bytes that are not valid show as U+FFFD.
inline QString Qs(std::string_view cp932) {
  const std::u16string u = Cp932ToUtf16(cp932);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

// Widget text as code page 932 bytes; a character the code page cannot hold becomes "〓".
inline std::string Sj(const QString& text) {
  return Utf16ToCp932(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<size_t>(text.size())));
}

}  // namespace sorami
