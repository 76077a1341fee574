#include "Text.h"

#include <iconv.h>

#include <cerrno>
#include <ctime>
#include <stdexcept>

namespace sorami::site {
namespace {

// One conversion with iconv. With `lenient`, a byte that cannot be converted becomes "?".
std::string Convert(const char* to, const char* from, std::string_view in, bool lenient) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string out;
  char buf[1024];
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!lenient) {
      iconv_close(cd);
      throw std::runtime_error("text has no code page 932 form: " + std::string(in));
    }
    out += '?';
    ++src;
    --left;
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, false); }

std::string ToUtf8(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932, true); }

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

std::size_t CharLen(std::string_view s, std::size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

std::string ReplaceChars(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = CharLen(s, i);
    if (s.substr(i, from.size()) == from && n == from.size()) {
      out += to;
    } else {
      out.append(s.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::string EscapeField(std::string_view v) {
  std::string out;
  AppendEscapedField(out, v);
  return out;
}

void AppendEscapedField(std::string& out, std::string_view v) {
  // A TAB's escape holds neither CR nor LF, so both escapes are made in one pass; the plain
  // runs between them are copied whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (c != '\t' && c != '\r') continue;
    const bool crlf = c == '\r' && i + 1 < v.size() && v[i + 1] == '\n';
    if (c == '\r' && !crlf) continue;
    out.append(v, run, i - run);
    out += crlf ? "\x0C\x0B" : "\x0C\x08";
    if (crlf) ++i;
    run = i + 1;
  }
  out.append(v, run, v.size() - run);
}

std::string UnescapeField(std::string_view v) {
  std::string tabs;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\x0C' && i + 1 < v.size() && v[i + 1] == '\x08') {
      tabs += '\t';
      ++i;
    } else {
      tabs += v[i];
    }
  }
  std::string out;
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    if (tabs[i] == '\x0C' && i + 1 < tabs.size() && tabs[i + 1] == '\x0B') {
      out += "\r\n";
      ++i;
    } else {
      out += tabs[i];
    }
  }
  return out;
}

std::string Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tm);
  return buf;
}

}  // namespace sorami::site
