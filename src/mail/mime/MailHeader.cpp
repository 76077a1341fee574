#include "mail/mime/MailHeader.h"

#include <algorithm>
#include <map>

#include "base/MbText.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/MailCharset.h"

namespace sorami {

namespace {

inline bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

inline char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (UpperChar(text[i]) != UpperChar(prefix[i])) return false;
  }
  return true;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(s[i + 1]) << 4 | HexDigit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

struct RawParam {
  std::string name;  // lower case
  std::string value;
};

// Splits "type/subtype; a=b; c="d;e"" into its parameters. A backslash after a byte that
// can lead a Shift_JIS character belongs to that character, not to the quoting: mailers put
// raw Shift_JIS file names in quotes without escaping them.
std::vector<RawParam> ParseParams(std::string_view v) {
  std::vector<RawParam> out;
  size_t i = 0;
  const size_t n = v.size();
  bool in_quotes = false;
  for (; i < n; ++i) {  // skip the main value
    if (v[i] == '"') in_quotes = !in_quotes;
    if (v[i] == ';' && !in_quotes) break;
  }
  while (i < n) {
    while (i < n && (v[i] == ';' || IsBlankOrControl(v[i]))) ++i;
    const size_t name_start = i;
    while (i < n && v[i] != '=' && v[i] != ';') ++i;
    std::string_view name = TrimView(v.substr(name_start, i - name_start));
    if (i >= n || v[i] != '=') continue;
    ++i;
    while (i < n && (v[i] == ' ' || v[i] == '\t')) ++i;
    std::string value;
    if (i < n && v[i] == '"') {
      ++i;
      while (i < n && v[i] != '"') {
        const unsigned char prev = value.empty() ? 0 : static_cast<unsigned char>(value.back());
        if (v[i] == '\\' && i + 1 < n && !IsLeadByte(prev)) ++i;
        value += v[i++];
      }
      i = std::min(i + 1, n);  // the closing quote
      const size_t after = i;
      while (i < n && v[i] != ';') ++i;
      if (value.empty()) {
        // name=""=?ISO-2022-JP?B?...?="": Japanese mailers put the quotes twice around the
        // value; it is what stands between them.
        std::string_view rest = TrimView(v.substr(after, i - after));
        while (!rest.empty() && rest.front() == '"') rest.remove_prefix(1);
        while (!rest.empty() && rest.back() == '"') rest.remove_suffix(1);
        value = std::string(TrimView(rest));
      }
    } else {
      const size_t start = i;
      while (i < n && v[i] != ';') ++i;
      value = std::string(TrimView(v.substr(start, i - start)));
    }
    out.push_back({LowerAscii(name), std::move(value)});
  }
  return out;
}

}  // namespace

std::string_view TrimView(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); i += MbCharLen(out, i)) out[i] = UpperChar(out[i]);
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); i += MbCharLen(out, i)) out[i] = LowerChar(out[i]);
  return out;
}

bool GetHeaderLine(std::string_view name, LinesView lines, std::string& value) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty()) return false;
    if (!StartsWithNoCase(line, name)) continue;
    value.assign(TrimRight(line));
    for (size_t k = i + 1; k < lines.size(); ++k) {
      const std::string_view next = lines[k];
      if (next.empty() || (next[0] != ' ' && next[0] != '\t')) break;
      const std::string_view rest = TrimView(next);
      if (rest.empty()) continue;
      value += ' ';
      value.append(rest);
    }
    return true;
  }
  return false;
}

std::string GetHeaderParam(std::string_view param, std::string_view value) {
  const std::string upper = UpperAscii(value);
  const size_t at = MbFind(UpperAscii(param), upper);
  if (at == std::string_view::npos) return {};
  std::string_view rest = TrimView(std::string_view(value).substr(at + param.size()));
  const size_t semi = MbFind(";", rest);
  if (semi != std::string_view::npos) rest = rest.substr(0, semi);
  return std::string(TrimView(rest));
}

void StripHeaderLines(LinesView& lines) {
  size_t i = 0;
  while (i < lines.size() && !lines[i].empty()) ++i;
  while (i < lines.size() && lines[i].empty()) ++i;
  lines = lines.subspan(i);
}

std::string Unquote(std::string_view text) {
  if (!text.empty() && (text.front() == '"' || text.front() == '\'')) text.remove_prefix(1);
  if (!text.empty() && (text.back() == '"' || text.back() == '\'')) text.remove_suffix(1);
  return std::string(text);
}

std::string GetBoundary(std::string_view content_type) {
  const size_t at = MbFind("boundary", content_type, true);
  if (at == std::string_view::npos) return "--";
  std::string b = MbCopy(content_type.substr(at + 8), 1, 72);
  std::string_view v = TrimView(b);
  if (!v.empty()) v.remove_prefix(1);  // the "="
  v = TrimView(v);
  if (!v.empty() && v.front() == '"') {
    v.remove_prefix(1);
    const size_t q = v.find('"');
    if (q != std::string_view::npos) v = v.substr(0, q);
  }
  const size_t semi = MbFind(";", v);
  if (semi != std::string_view::npos) v = v.substr(0, semi);
  return "--" + std::string(TrimView(v));
}

std::string_view HeaderValue(std::string_view line) {
  const size_t colon = line.find(':');
  return colon == std::string_view::npos ? std::string_view() : TrimView(line.substr(colon + 1));
}

std::string MainValueUpper(std::string_view header_value) {
  const size_t semi = header_value.find(';');
  return UpperAscii(TrimView(header_value.substr(0, semi)));
}

std::optional<std::string> GetMimeParam(std::string_view header_value, std::string_view name) {
  const std::string want = LowerAscii(name);
  const std::vector<RawParam> params = ParseParams(header_value);
  const RawParam* plain = nullptr;
  const RawParam* extended = nullptr;
  std::map<int, const RawParam*> sections;  // continuation number -> parameter
  for (const RawParam& p : params) {
    if (p.name == want) {
      if (!plain) plain = &p;
      continue;
    }
    if (p.name.size() <= want.size() || p.name.compare(0, want.size(), want) != 0 ||
        p.name[want.size()] != '*') {
      continue;
    }
    std::string_view rest = std::string_view(p.name).substr(want.size() + 1);
    if (rest.empty()) {
      if (!extended) extended = &p;
      continue;
    }
    if (rest.back() == '*') rest.remove_suffix(1);
    if (rest.empty() || rest.size() > 3 ||
        !std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    sections.emplace(std::stoi(std::string(rest)), &p);
  }

  // name*=charset'language'percent-encoded-text
  auto split_extended = [](std::string_view v, std::string& charset) {
    const size_t q1 = v.find('\'');
    const size_t q2 = q1 == std::string_view::npos ? q1 : v.find('\'', q1 + 1);
    if (q2 == std::string_view::npos) return std::string(v);
    charset = std::string(v.substr(0, q1));
    return std::string(v.substr(q2 + 1));
  };

  if (!sections.empty() && sections.begin()->first == 0) {
    std::string bytes, charset;
    bool labelled = false;
    int expect = 0;
    for (const auto& [num, p] : sections) {
      if (num != expect++) break;  // a missing piece ends the value
      const bool ext = p->name.back() == '*';
      std::string piece = p->value;
      if (ext && num == 0) {
        piece = split_extended(piece, charset);
        labelled = true;
      }
      bytes += ext ? PercentDecode(piece) : piece;
    }
    return labelled ? CharsetToSjis(bytes, charset) : DecodeHeader(bytes);
  }
  if (extended) {
    std::string charset;
    const std::string text = split_extended(extended->value, charset);
    return CharsetToSjis(PercentDecode(text), charset);
  }
  if (plain) return DecodeHeader(plain->value);
  return std::nullopt;
}

}  // namespace sorami
