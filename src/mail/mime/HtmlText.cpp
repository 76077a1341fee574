#include "mail/mime/HtmlText.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/Codepage.h"

namespace sorami {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  }
  return true;
}

// Tags whose end (or, for the empty ones, the tag itself) ends a line of text.
bool BreaksLine(std::string_view tag) {
  static constexpr std::string_view kBlocks[] = {
      "br", "p",     "div", "tr", "li",         "h1", "h2",  "h3", "h4", "h5",
      "h6", "table", "ul",  "ol", "blockquote", "hr", "pre", "dd", "dt"};
  for (std::string_view b : kBlocks) {
    if (EqualNoCase(tag, b)) return true;
  }
  return false;
}

std::string CodePointToSjis(unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::string(kGetaMark);
  std::u16string u;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    u += static_cast<char16_t>(0xD800 + (cp >> 10));
    u += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    u += static_cast<char16_t>(cp);
  }
  return Utf16ToCp932(u);
}

// A code point as UTF-8; "〓" for what is no character.
std::string CodePointToUtf8(unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return "\xE3\x80\x93";
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// The text of a character reference at html[i] ("&amp;", "&#12354;", "&#x3042;"), and its
// length; 0 when it is not one.
// The text is code page 932, or UTF-8 when utf8 is set.
size_t ReadEntity(std::string_view html, size_t i, bool utf8, std::string& text) {
  const size_t semi_at = html.substr(i, 12).find(';');  // names are short: look no further
  if (semi_at == std::string_view::npos) return 0;
  const size_t semi = i + semi_at;
  const std::string_view name = html.substr(i + 1, semi - i - 1);
  if (name.size() >= 2 && name[0] == '#') {
    unsigned long cp = 0;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    const auto [p, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
    if (ec != std::errc() || p != digits.data() + digits.size()) return 0;
    text = cp == 0xA0 ? " " : utf8 ? CodePointToUtf8(cp) : CodePointToSjis(cp);
    return semi - i + 1;
  }
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {{"amp", "&"},
                                                                             {"lt", "<"},
                                                                             {"gt", ">"},
                                                                             {"quot", "\""},
                                                                             {"apos", "'"},
                                                                             {"nbsp", " "},
                                                                             {"copy", "(C)"},
                                                                             {"reg", "(R)"},
                                                                             {"yen", "\\"},
                                                                             {"times", "\x81\x7E"},
                                                                             {"divide", "\x81\x80"},
                                                                             {"hellip", "\x81\x63"},
                                                                             {"mdash", "\x81\x5C"},
                                                                             {"ndash", "-"},
                                                                             {"laquo", "\x81\x73"},
                                                                             {"raquo", "\x81\x74"}};
  for (const auto& [n, t] : kNamed) {
    if (name == n) {
      text = utf8 ? Cp932ToUtf8(t) : std::string(t);
      return semi - i + 1;
    }
  }
  return 0;
}

std::string HtmlToTextIn(std::string_view html, bool utf8) {
  std::string out;
  out.reserve(html.size() / 2);
  bool pending_blank = false;
  int newlines = 2;  // line ends at the end of out (2 at the start: no leading empty lines)
  auto put_text = [&](std::string_view t) {
    if (pending_blank && newlines == 0) out += ' ';
    pending_blank = false;
    out.append(t);
    newlines = 0;
  };
  auto put_break = [&] {
    pending_blank = false;
    if (newlines >= 2) return;
    out += "\r\n";
    ++newlines;
  };

  const size_t n = html.size();
  size_t i = 0;
  while (i < n) {
    const char c = html[i];
    // A "<" before anything but a letter, "/", "!" or "?" starts no tag: it is text ("5 < 6").
    const char next = i + 1 < n ? html[i + 1] : ' ';
    const bool opens_tag = (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') ||
                           next == '/' || next == '!' || next == '?';
    if (c == '<' && opens_tag) {
      if (html.substr(i, 4) == "<!--") {
        const size_t end = html.find("-->", i + 4);
        i = end == std::string_view::npos ? n : end + 3;
        continue;
      }
      const size_t end = html.find('>', i + 1);
      if (end == std::string_view::npos) break;
      std::string_view tag = html.substr(i + 1, end - i - 1);
      const bool closing = !tag.empty() && tag[0] == '/';
      if (closing) tag.remove_prefix(1);
      size_t name_len = 0;
      while (name_len < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[name_len]))))
        ++name_len;
      const std::string_view name = tag.substr(0, name_len);
      i = end + 1;
      if (!closing && (EqualNoCase(name, "script") || EqualNoCase(name, "style") ||
                       EqualNoCase(name, "head") || EqualNoCase(name, "title"))) {
        // Skip to the matching end tag.
        const std::string close = "</" + std::string(name);
        size_t k = i;
        while (k < n) {
          const size_t lt = html.find("</", k);
          if (lt == std::string_view::npos) {
            k = n;
            break;
          }
          if (EqualNoCase(html.substr(lt, close.size()), close)) {
            const size_t gt = html.find('>', lt);
            k = gt == std::string_view::npos ? n : gt + 1;
            break;
          }
          k = lt + 2;
        }
        i = k;
        continue;
      }
      if (BreaksLine(name) && (closing || EqualNoCase(name, "br") || EqualNoCase(name, "hr") ||
                               EqualNoCase(name, "p") || EqualNoCase(name, "div"))) {
        if (EqualNoCase(name, "br")) {
          pending_blank = false;
          out += "\r\n";
          newlines = std::min(newlines + 1, 2);
        } else {
          put_break();
        }
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
      pending_blank = true;
      ++i;
      continue;
    }
    if (c == '&') {
      std::string text;
      const size_t len = ReadEntity(html, i, utf8, text);
      if (len > 0) {
        put_text(text);
        i += len;
        continue;
      }
    }
    const unsigned char u = static_cast<unsigned char>(c);
    // A double-byte character stays whole; UTF-8 needs no care, its bytes are never markup.
    const bool lead = !utf8 && ((u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC));
    const size_t len = lead && i + 1 < n ? 2 : 1;
    put_text(html.substr(i, len));
    i += len;
  }
  while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

}  // namespace

std::string HtmlToText(std::string_view html) { return HtmlToTextIn(html, false); }

std::string HtmlToUtf8Text(std::string_view html) { return HtmlToTextIn(html, true); }

}  // namespace sorami
