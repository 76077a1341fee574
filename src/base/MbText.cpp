#include "base/MbText.h"

#include <cstdio>
#include <cstring>

namespace sorami {

namespace {

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// True when the bytes of part stand at byte offset i of text as whole characters.
bool MatchesAt(std::string_view part, std::string_view text, size_t i, bool fold_case) {
  if (text.size() - i < part.size()) return false;
  size_t k = 0;
  while (k < part.size()) {
    const size_t pl = MbCharLen(part, k);
    const size_t tl = MbCharLen(text, i + k);
    if (pl != tl) return false;  // never pair half a double-byte character with a single byte
    if (pl == 1) {
      unsigned char a = static_cast<unsigned char>(part[k]);
      unsigned char b = static_cast<unsigned char>(text[i + k]);
      if (fold_case) {
        a = FoldAscii(a);
        b = FoldAscii(b);
      }
      if (a != b) return false;
    } else if (part[k] != text[i + k] || part[k + 1] != text[i + k + 1]) {
      return false;
    }
    k += pl;
  }
  return true;
}

}  // namespace

int MbLength(std::string_view text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); i += MbCharLen(text, i)) ++n;
  return n;
}

std::string MbCopy(std::string_view text, int index, int count) {
  if (text.empty() || index < 0 || count < 1) return {};
  if (index == 0) index = 1;
  size_t i = 0;
  for (int c = 1; c < index; ++c) {
    if (i >= text.size()) return {};
    i += MbCharLen(text, i);
  }
  size_t end = i;
  for (int c = 0; c < count && end < text.size(); ++c) end += MbCharLen(text, end);
  return std::string(text.substr(i, end - i));
}

size_t MbFind(std::string_view part, std::string_view text, bool fold_case) {
  if (part.empty() || text.empty()) return std::string_view::npos;
  const unsigned char first = static_cast<unsigned char>(part[0]);
  const bool first_is_letter =
      fold_case && ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
  for (size_t i = 0; i < text.size(); i += MbCharLen(text, i)) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b != first && !(first_is_letter && FoldAscii(b) == FoldAscii(first))) continue;
    if (MatchesAt(part, text, i, fold_case)) return i;
  }
  return std::string_view::npos;
}

int MbPos(std::string_view part, std::string_view text) {
  const size_t at = MbFind(part, text);
  if (at == std::string_view::npos) return 0;
  return MbLength(text.substr(0, at)) + 1;
}

void SplitToken(std::string_view separator, std::string_view& text, std::string_view& token) {
  token = {};
  if (text.empty()) return;
  const size_t at = MbFind(separator, text, true);
  if (at == std::string_view::npos) {
    token = text;
    text = {};
    return;
  }
  token = text.substr(0, at);
  text = text.substr(at + separator.size());
}

void SplitToken(std::string_view separator, std::string& text, std::string& token) {
  std::string_view rest = text;
  std::string_view tok;
  SplitToken(separator, rest, tok);
  std::string new_token(tok);
  std::string new_text(rest);
  token = std::move(new_token);
  text = std::move(new_text);
}

void ReplaceAll(std::string_view old_text, std::string_view new_text, std::string& text) {
  if (old_text.empty() || text.empty()) return;
  std::string out;
  std::string_view rest = text;
  bool changed = false;
  for (;;) {
    const size_t at = MbFind(old_text, rest);
    if (at == std::string_view::npos) break;
    out.append(rest.substr(0, at));
    out.append(new_text);
    rest = rest.substr(at + old_text.size());
    changed = true;
  }
  if (!changed) return;
  out.append(rest);
  text = std::move(out);
}

std::string EscapeField(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\t') {
      out += "\x0C\x08";
    } else if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
      out += "\x0C\x0B";
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string UnescapeField(std::string_view value) {
  // One pass gives what the two passes of the file format give (TAB escapes first, then CR
  // LF escapes): a replacement never makes a new 0x0C, and the two escapes cannot overlap.
  std::string out;
  out.reserve(value.size() + 8);
  size_t i = 0;
  while (i < value.size()) {
    const void* hit = std::memchr(value.data() + i, '\x0C', value.size() - i);
    const size_t at =
        hit ? static_cast<size_t>(static_cast<const char*>(hit) - value.data()) : value.size();
    out.append(value.data() + i, at - i);
    if (at >= value.size()) break;
    const char next = at + 1 < value.size() ? value[at + 1] : '\0';
    if (next == '\x08') {
      out += '\t';
      i = at + 2;
    } else if (next == '\x0B') {
      out += "\r\n";
      i = at + 2;
    } else {
      out += '\x0C';
      i = at + 1;
    }
  }
  return out;
}

std::string_view TrimBytes(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

void CutBytes(std::string_view separator, std::string_view& text, std::string_view& token) {
  const size_t at = text.find(separator);
  if (at == std::string_view::npos) {
    token = text;
    text = {};
    return;
  }
  token = text.substr(0, at);
  text.remove_prefix(at + separator.size());
}

void CutLine(std::string_view& text, std::string_view& line) {
  CutBytes("\n", text, line);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
}

std::string FormatLocalTime(std::time_t t, const char* format) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

size_t Format4dTo(long value, char* out) {
  if (value < 0) return static_cast<size_t>(std::snprintf(out, 24, "%4.4ld", value));
  // Digits from the right, then at least four of them.
  char digits[24];
  size_t n = 0;
  auto v = static_cast<unsigned long>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n < 4) digits[n++] = '0';
  for (size_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

std::string Format4d(long value) {
  char buf[24];
  return std::string(buf, Format4dTo(value, buf));
}

std::string BodyFromBox(std::string_view box_text) {
  std::string out;
  out.reserve(box_text.size() + box_text.size() / 16);
  for (size_t i = 0; i < box_text.size(); ++i) {
    const char c = box_text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < box_text.size() && box_text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace sorami
