#include "mail/mime/EncodedWord.h"

#include "base/MbText.h"
#include "mail/mime/Base64.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailCharset.h"
#include "mail/mime/MailHeader.h"

namespace sorami {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

bool IsLinearBlank(std::string_view s) {
  for (char c : s) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

// One encoded word found at a position of the text.
struct Word {
  size_t end = 0;  // just past "?="
  std::string_view charset;
  char encoding = 0;  // 'B' or 'Q'
  std::string_view payload;
};

// Reads "=?charset?X?payload?=" starting at the "=?" at position at. Every scan is bounded
// by the next "?", so a header full of broken words is still read in one pass.
bool ReadWord(std::string_view s, size_t at, Word& w) {
  const size_t cs = at + 2;
  size_t q1 = cs;
  while (q1 < s.size() && q1 - cs <= 64 && s[q1] != '?') {
    const unsigned char c = static_cast<unsigned char>(s[q1]);
    if (c <= ' ' || c >= 0x7F || c == '=') return false;
    ++q1;
  }
  if (q1 >= s.size() || s[q1] != '?' || q1 == cs) return false;
  if (q1 + 2 >= s.size() || s[q1 + 2] != '?') return false;
  const char enc = static_cast<char>(s[q1 + 1] & ~0x20);
  if (enc != 'B' && enc != 'Q') return false;
  const size_t body = q1 + 3;
  // The payload holds no "?": the first one after it must close the word.
  const size_t close = s.find('?', body);
  if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != '=') return false;
  w.end = close + 2;
  w.charset = s.substr(cs, q1 - cs);
  w.encoding = enc;
  w.payload = s.substr(body, close - body);
  return true;
}

// Appends decoded header text without its control characters (a tab becomes a blank). A lead
// byte whose second byte is no second byte of code page 932 is no character: it shows as "〓".
void AppendClean(std::string& out, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      const unsigned char t = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
      if (t >= 0x40 && t <= 0xFC && t != 0x7F) {
        out.append(text.substr(i, 2));
        ++i;
      } else {
        out.append("\x81\xAC");
      }
    } else if (c == '\t') {
      out += ' ';
    } else if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
    }
  }
}

std::string_view TrimRightBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string DecodeJisHeader(std::string_view text) {
  static constexpr std::string_view kOpen = "=?ISO-2022-JP?B?";
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  while (true) {
    const size_t at = MbFind(kOpen, text.substr(from), true);
    if (at == std::string_view::npos) break;
    const size_t start = from + at;
    out.append(text.substr(from, start - from));
    const size_t body = start + kOpen.size();
    size_t close = text.find("?=", body);
    if (close == std::string_view::npos) close = text.size();
    out += Base64Decode(text.substr(body, close - body));
    out += "\x1B(J";
    from = std::min(text.size(), close + 2);
  }
  out.append(text.substr(from));
  return out;
}

namespace {

// Appends decoded UTF-8 header text without its control characters (a tab becomes a blank).
void AppendCleanUtf8(std::string& out, std::string_view text) {
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\t') {
      out += ' ';
    } else if (u >= 0x20 && u != 0x7F) {
      out += c;
    }
  }
}

// Decodes the encoded words of a header value: convert(bytes, charset) turns a word's bytes
// into the target text, literal(bytes) the text between words; append(out, text) adds target
// text without control characters.
template <typename Convert, typename Literal, typename Append>
std::string DecodeWords(std::string_view text, Convert convert, Literal literal_text,
                        Append append) {
  std::string out;
  out.reserve(text.size());
  std::string pending;          // decoded bytes of adjacent words of one charset
  std::string_view pending_cs;  // their charset
  bool have_pending = false;

  auto flush = [&] {
    if (!have_pending) return;
    append(out, convert(pending, pending_cs));
    pending.clear();
    have_pending = false;
  };
  auto literal = [&](std::string_view s) {
    if (s.empty()) return;
    flush();
    append(out, literal_text(s));
  };
  size_t pos = 0;     // start of text not yet handled
  size_t search = 0;  // where to look for the next "=?"
  bool after_word = false;
  while (true) {
    const size_t at = text.find("=?", search);
    if (at == std::string_view::npos) break;
    Word w;
    if (!ReadWord(text, at, w)) {
      search = at + 2;
      continue;
    }
    const std::string_view between = text.substr(pos, at - pos);
    if (!(after_word && IsLinearBlank(between))) {
      literal(between);
    }
    const std::string bytes =
        w.encoding == 'B' ? Base64DecodeStrict(w.payload) : DecodeQText(w.payload);
    if (have_pending && EqualNoCase(pending_cs, w.charset)) {
      pending += bytes;
    } else {
      flush();
      pending = bytes;
      pending_cs = w.charset;
      have_pending = true;
    }
    after_word = true;
    pos = search = w.end;
  }
  literal(text.substr(pos));
  flush();
  return out;
}

}  // namespace

std::string DecodeHeader(std::string_view text) {
  return DecodeWords(
      text, [](std::string_view b, std::string_view cs) { return CharsetToSjis(b, cs); },
      [](std::string_view b) { return GuessToSjis(b); }, AppendClean);
}

std::string DecodeHeaderUtf8(std::string_view text) {
  return DecodeWords(
      text, [](std::string_view b, std::string_view cs) { return CharsetToUtf8Text(b, cs); },
      [](std::string_view b) { return CharsetToUtf8Text(b, ""); }, AppendCleanUtf8);
}

std::string DecodeSubjectText(std::string_view text) {
  return ConvertKanji(DecodeJisHeader(text), kCodeSjis);
}

std::string DecodeMailbox(std::string_view text) {
  const size_t lt = text.find('<');
  const std::string_view name =
      lt == std::string_view::npos ? std::string_view() : text.substr(0, lt);
  const std::string_view address = lt == std::string_view::npos ? text : text.substr(lt);
  // Decoding drops control characters, so no stray ESC ( J of a JIS word is left behind.
  return std::string(TrimRightBlanks(DecodeHeader(name))) + DecodeHeader(address);
}

std::string DecodeAddressField(std::string_view text) {
  std::string out;
  bool first = true;
  for (const std::string& piece : SplitAddresses(text)) {
    std::string unquoted;
    for (char c : piece) {
      if (c != '"') unquoted += c;
    }
    if (!first) out += ',';
    first = false;
    out += DecodeMailbox(TrimView(unquoted));
  }
  return out;
}

}  // namespace sorami
