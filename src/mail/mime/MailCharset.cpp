#include "mail/mime/MailCharset.h"

#include "mail/mime/KanjiCode.h"
#include "platform/Charset.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

std::string NormalLabel(std::string_view label) {
  std::string out;
  for (char c : label) {
    if (c == '"' || c == '\'' || c == ' ' || c == '\t') continue;
    if (c == '*') break;  // a language suffix ("iso-2022-jp*ja")
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
  }
  return out;
}

bool HasJisEscape(std::string_view s) {
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if (s[i] != 0x1B) continue;
    const char a = s[i + 1], b = s[i + 2];
    if ((a == '$' && (b == 'B' || b == '@' || b == '(')) || (a == '(' && b == 'I')) return true;
  }
  return false;
}

bool HasHighBytes(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// Text that parses as EUC-JP from start to end.
bool IsValidEuc(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) continue;
    auto ok = [&](size_t k) {
      return k < s.size() && static_cast<unsigned char>(s[k]) >= 0xA1 &&
             static_cast<unsigned char>(s[k]) <= 0xFE;
    };
    if (b == 0x8E) {
      if (!ok(i + 1) || static_cast<unsigned char>(s[i + 1]) > 0xDF) return false;
      i += 1;
    } else if (b == 0x8F) {
      if (!ok(i + 1) || !ok(i + 2)) return false;
      i += 2;
    } else if (b >= 0xA1 && b <= 0xFE) {
      if (!ok(i + 1)) return false;
      i += 1;
    } else {
      return false;
    }
  }
  return true;
}

// Of text that is EUC-JP or Shift_JIS, undecided: whether it is EUC-JP. It must parse as
// EUC-JP; and when all its 8-bit bytes could be half-width katakana of Shift_JIS (0xA1-0xDF),
// EUC-JP must give kana (rows 0xA4 and 0xA5) too, which Japanese prose is never without:
// a run of half-width katakana would read as kanji alone.
bool ReadsAsEuc(std::string_view s) {
  if (!IsValidEuc(s)) return false;
  bool halfwidth_kana_bytes = true;
  bool kana = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) continue;
    if (b < 0xA1 || b > 0xDF || static_cast<unsigned char>(s[i + 1]) > 0xDF) {
      halfwidth_kana_bytes = false;
    }
    if (b == 0xA4 || b == 0xA5) kana = true;
    i += b == 0x8F ? 2 : 1;  // IsValidEuc saw the bytes of every character
  }
  return kana || !halfwidth_kana_bytes;
}

std::string FromUtf8(std::string_view utf8) {
  if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  return Utf8ToCp932(utf8);
}

bool IsOneOf(const std::string& label, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names) {
    if (label == n) return true;
  }
  return false;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + len > n) return false;
    const unsigned char b1 = static_cast<unsigned char>(s[i + 1]);
    if (b1 < lo || b1 > hi) return false;
    for (size_t k = 2; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

std::string GuessToSjis(std::string_view bytes) {
  if (HasJisEscape(bytes)) return JisToSjis(bytes);
  if (!HasHighBytes(bytes)) return std::string(bytes);
  if (IsValidUtf8(bytes)) return FromUtf8(bytes);
  switch (DetectKanjiCode(bytes)) {
    case kCodeEuc:
      return EucToSjis(bytes);
    case kCodeEucOrSjis:
      return ReadsAsEuc(bytes) ? EucToSjis(bytes) : std::string(bytes);
    default:
      return std::string(bytes);
  }
}

std::string CharsetToSjis(std::string_view bytes, std::string_view charset) {
  const std::string label = NormalLabel(charset);
  if (label.empty()) return GuessToSjis(bytes);
  if (IsOneOf(label, {"utf-8", "utf8", "unicode-1-1-utf-8", "x-unicode20utf8"})) {
    return HasJisEscape(bytes) && !HasHighBytes(bytes) ? JisToSjis(bytes) : FromUtf8(bytes);
  }
  // Whatever the label, escapes of ISO-2022-JP in a text mean that is what it is.
  if (HasJisEscape(bytes)) return JisToSjis(bytes);
  if (label.starts_with("iso-2022-jp") || label.starts_with("cp5022") ||
      IsOneOf(label, {"csiso2022jp", "jis", "x-windows-50220", "x-windows-50221"})) {
    return HasHighBytes(bytes) ? GuessToSjis(bytes) : JisToSjis(bytes);
  }
  if (IsOneOf(label, {"euc-jp", "eucjp", "x-euc-jp", "x-euc", "euc-jp-ms", "eucjp-ms", "cp51932",
                      "cseucpkdfmtjapanese", "eucjp-open", "eucjp-win"})) {
    return EucToSjis(bytes);
  }
  if (IsOneOf(label, {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis",
                      "windows-31j", "cswindows31j", "cp932", "ms932", "x-ms-cp932", "ibm-943",
                      "sjis-open", "sjis-win", "shift_jis-2004", "shift_jisx0213"})) {
    return std::string(bytes);
  }
  if (IsOneOf(label, {"us-ascii", "ascii", "ansi_x3.4-1968", "iso646-us", "csascii", "us",
                      "unknown-8bit", "x-unknown", "unknown", "default", "7bit", "8bit"})) {
    return GuessToSjis(bytes);
  }
  if (!HasHighBytes(bytes)) return std::string(bytes);
  std::string utf8;
  if (CharsetToUtf8(bytes, label, utf8)) return FromUtf8(utf8);
  return GuessToSjis(bytes);
}

namespace {

// Valid UTF-8 as it is; each byte that starts no valid sequence becomes U+FFFD.
std::string CleanUtf8(std::string_view s) {
  if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  if (IsValidUtf8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + 16);
  size_t i = 0;
  while (i < s.size()) {
    size_t len = 1;
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b >= 0xC2 && b <= 0xDF) len = 2;
    if (b >= 0xE0 && b <= 0xEF) len = 3;
    if (b >= 0xF0 && b <= 0xF4) len = 4;
    if (i + len <= s.size() && IsValidUtf8(s.substr(i, len))) {
      out.append(s.substr(i, len));
      i += len;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

bool IsJapaneseLabel(const std::string& label) {
  return label.starts_with("iso-2022-jp") || label.starts_with("cp5022") ||
         label.starts_with("euc") || label.find("jis") != std::string::npos ||
         IsOneOf(label, {"csiso2022jp", "x-windows-50220", "x-windows-50221", "cp51932", "ms_kanji",
                         "windows-31j", "cswindows31j", "cp932", "ms932", "x-ms-cp932", "ibm-943",
                         "x-euc", "cseucpkdfmtjapanese"});
}

}  // namespace

std::string CharsetToUtf8Text(std::string_view bytes, std::string_view charset) {
  const std::string label = NormalLabel(charset);
  if (IsOneOf(label, {"utf-8", "utf8", "unicode-1-1-utf-8", "x-unicode20utf8"})) {
    if (HasJisEscape(bytes) && !HasHighBytes(bytes)) return Cp932ToUtf8(JisToSjis(bytes));
    return CleanUtf8(bytes);
  }
  if (HasJisEscape(bytes) || IsJapaneseLabel(label)) {
    return Cp932ToUtf8(CharsetToSjis(bytes, label));
  }
  if (!HasHighBytes(bytes)) return std::string(bytes);
  std::string utf8;
  if (!label.empty() &&
      !IsOneOf(label, {"us-ascii", "ascii", "unknown-8bit", "x-unknown", "unknown", "default",
                       "7bit", "8bit"}) &&
      CharsetToUtf8(bytes, label, utf8)) {
    return CleanUtf8(utf8);
  }
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp932ToUtf8(GuessToSjis(bytes));
}

std::string Utf8ToSjis(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  const size_t n = utf8.size();
  auto at = [&](size_t k) -> unsigned { return k < n ? static_cast<unsigned char>(utf8[k]) : 0; };
  size_t i = 0;
  while (i < n) {
    const unsigned b0 = at(i);
    if (b0 == 0) break;
    if (b0 < 0x80) {
      units += static_cast<char16_t>(b0);
      i += 1;
    } else if (b0 >= 0xC0 && b0 <= 0xDF) {
      units += static_cast<char16_t>(((b0 & 0x1F) << 6) + (at(i + 1) & 0x3F));
      i += 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      units += static_cast<char16_t>(((b0 & 0x0F) << 12) + ((at(i + 1) & 0x3F) << 6) +
                                     (at(i + 2) & 0x3F));
      i += 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF7) {
      units += u'\xFFFD';  // beyond the basic plane: no place in code page 932
      i += 4;
    } else {
      throw Utf8Error();
    }
  }
  return Utf16ToCp932(units);
}

}  // namespace sorami
