#include "mail/smtp/MessageText.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "base/MbText.h"
#include "mail/mime/Base64.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/MailHeader.h"
#include "mail/smtp/TVexSMTP.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

constexpr std::string_view kRoman = "\x1B(J";
constexpr size_t kBlock = 2280;  // 40 lines of 57 bytes
constexpr size_t kLineBytes = 57;

bool HasEightBit(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// JIS-Roman runs that hold "\" or "~" become ASCII runs (see OutgoingJis).
void RomanToAsciiWhereMisread(std::string& jis) {
  for (size_t at = jis.find(kRoman); at != std::string::npos; at = jis.find(kRoman, at + 3)) {
    const size_t next = jis.find('\x1B', at + 3);
    const std::string_view run = std::string_view(jis).substr(at + 3, next - (at + 3));
    if (run.find_first_of("\\~") != std::string_view::npos) jis[at + 2] = 'B';
  }
}

constexpr size_t kMaxLine = 998;      // octets of a line before its CR LF
constexpr size_t kMaxBodyLine = 997;  // one octet left for the dot a line starting with "." gets
constexpr size_t kWholeWord = 900;    // the longest header text kept as a single encoded word
constexpr size_t kMaxWord = 75;       // characters of one encoded word
constexpr std::string_view kFold = "\r\n ";

// The length of the Shift_JIS character at i; a half-width kana with its voiced mark is one
// (they become one JIS character).
size_t SjisCharLen(std::string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b >= 0xA1 && b <= 0xDF && i + 1 < s.size()) {
    const auto mark = static_cast<unsigned char>(s[i + 1]);
    if (mark == 0xDE || mark == 0xDF) return 2;
  }
  return MbCharLen(s, i);
}

size_t Utf8CharLen(std::string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

size_t ByteLen(std::string_view, size_t) { return 1; }

// The text cut into the longest runs of whole characters for which fits holds; a single
// character that does not fit is a run of its own.
template <class Fits>
std::vector<std::string_view> Runs(std::string_view text,
                                   size_t (*char_len)(std::string_view, size_t), Fits fits) {
  std::vector<std::string_view> out;
  size_t start = 0, end = 0;
  while (end < text.size()) {
    const size_t next = std::min(text.size(), end + char_len(text, end));
    if (end > start && !fits(text.substr(start, next - start))) {
      out.push_back(text.substr(start, end - start));
      start = end;
    }
    end = next;
  }
  if (end > start) out.push_back(text.substr(start));
  return out;
}

std::string Utf8Word(std::string_view utf8) { return "=?UTF-8?B?" + Base64Encode(utf8) + "?="; }

// A header text as encoded words. Text that fits ISO-2022-JP is one ISO-2022-JP word as it has
// always been written, unless that word would not fit on a line; then it is several words of
// at most 75 characters, each ending in the one-byte set, on lines of their own. Other text
// goes as UTF-8 words of at most 75 characters.
std::string HeaderWords(std::string_view sjis, bool close) {
  std::string out;
  auto add = [&out](const std::string& word) {
    if (!out.empty()) out += kFold;
    out += word;
  };
  if (FitsIso2022Jp(sjis)) {
    std::string whole = JisWord(OutgoingJis(sjis, close));
    if (whole.size() <= kWholeWord) return whole;
    auto word = [](std::string_view run) { return JisWord(OutgoingJis(run, true)); };
    for (std::string_view run :
         Runs(sjis, SjisCharLen, [&](std::string_view r) { return word(r).size() <= kMaxWord; })) {
      add(word(run));
    }
    return out;
  }
  const std::string utf8 = Cp932ToUtf8(sjis);
  for (std::string_view run :
       Runs(utf8, Utf8CharLen, [](std::string_view r) { return Utf8Word(r).size() <= kMaxWord; })) {
    add(Utf8Word(run));
  }
  return out;
}

// RFC 2231 value: charset, empty language, the bytes percent-encoded where needed.
std::string PercentEncoded(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
        c == '.' || c == '_') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// A parameter in RFC 2231 form: name*=charset''value when the value has at most `segment`
// characters, else continued over lines as name*0*=charset''..., name*1*=... (cut between
// whole characters of char_len).
std::string ExtendedParam(std::string_view name, std::string_view charset, std::string_view bytes,
                          size_t (*char_len)(std::string_view, size_t), size_t segment) {
  const std::string head = std::string(charset) + "''";
  const std::string whole = PercentEncoded(bytes);
  if (whole.size() <= segment) return std::string(name) + "*=" + head + whole;
  std::string out;
  int n = 0;
  for (std::string_view run : Runs(bytes, char_len, [&](std::string_view r) {
         return PercentEncoded(r).size() <= segment;
       })) {
    if (n > 0) out += ";" + std::string(kFold);
    out += std::string(name) + "*" + std::to_string(n) + "*=" + (n == 0 ? head : "") +
           PercentEncoded(run);
    ++n;
  }
  return out;
}

// A parameter value as a quoted string: a quote or backslash in it is escaped, not an end.
std::string Quoted(std::string_view value) {
  std::string out = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out.append("\r\n");
}

// A name part and what follows it ("<address>..."), the name as an encoded word.
std::string NamedAddress(std::string_view name, std::string_view rest) {
  return HeaderWords(name, true) + std::string(rest);
}

// A body line in ISO-2022-JP: one line as always, or, where that would pass the octets a line
// may hold, several lines, each ending in the one-byte set and starting with the kanji
// escape again where its text is Japanese.
void JisBodyLine(std::string& lines, std::string_view sjis) {
  auto jis = [](std::string_view run) { return SjisToJis(run) + std::string(kRoman); };
  std::string whole = jis(sjis);
  if (whole.size() <= kMaxBodyLine) return Line(lines, whole);
  for (std::string_view run :
       Runs(sjis, SjisCharLen, [&](std::string_view r) { return jis(r).size() <= kMaxBodyLine; })) {
    Line(lines, jis(run));
  }
}

// A plain body line, cut where it would pass the octets a line may hold.
void PlainBodyLine(std::string& lines, std::string_view text) {
  for (std::string_view run :
       Runs(text, ByteLen, [](std::string_view r) { return r.size() <= kMaxBodyLine; })) {
    Line(lines, run);
  }
  if (text.empty()) Line(lines, "");
}

// An address-list header, broken after a comma where a line would pass the octets it may hold.
std::string FoldedList(std::string_view field, std::string_view value) {
  std::string out(field);
  std::string_view rest = value, piece;
  bool first = true;
  do {
    SplitToken(",", rest, piece);
    if (!first) {
      out += ',';
      const size_t nl = out.rfind('\n');
      const size_t line = out.size() - (nl == std::string::npos ? 0 : nl + 1);
      if (line + piece.size() > kMaxLine) out += kFold;
    }
    out += piece;
    first = false;
  } while (!rest.empty());
  return out;
}

}  // namespace

std::string OutgoingJis(std::string_view sjis, bool close) {
  if (DetectKanjiCode(sjis) == kCodeAscii && !HasEightBit(sjis)) return std::string(sjis);
  std::string jis = SjisToJis(sjis);
  if (close) jis += kRoman;
  RomanToAsciiWhereMisread(jis);
  return jis;
}

std::string JisWord(std::string_view jis) { return "=?ISO-2022-JP?B?" + Base64Encode(jis) + "?="; }

std::string EncodeAddressHeader(std::string_view value) {
  std::string out;
  std::string_view all = value, piece;
  bool first = true;
  while (!all.empty()) {
    SplitToken(",", all, piece);
    if (!first) out += ',';
    first = false;
    const size_t lt = MbFind("<", piece);
    const std::string_view name = lt == std::string_view::npos ? "" : TrimView(piece.substr(0, lt));
    out += name.empty() ? std::string(piece) : NamedAddress(name, piece.substr(lt));
  }
  return out;
}

bool EncodeAttachment(const std::filesystem::path& path, SmtpEvents* events, int step,
                      std::string& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (!in || ec) {
    error = "添付ファイルを読めません: "_cp932 + PathText(path);
    return false;
  }
  if (events) events->OnEncodeStart(PathText(path), size);
  out.reserve(out.size() + size / kLineBytes * 78 + 80);
  if (step <= 0) step = 1;
  int next = step;
  std::uintmax_t done = 0;
  char block[kBlock];
  while (in) {
    in.read(block, kBlock);
    const auto got = static_cast<size_t>(in.gcount());
    if (got == 0) break;
    const std::string b64 = Base64Encode(std::string_view(block, got));
    for (size_t at = 0; at < b64.size(); at += 76) Line(out, std::string_view(b64).substr(at, 76));
    done += got;
    const int percent = size == 0 ? 100 : static_cast<int>(done * 100 / size);
    if (events && percent >= next) {
      events->OnEncodeProgress(percent);
      next = (percent / step + 1) * step;
    }
  }
  if (in.bad()) {
    error = "添付ファイルを読めません: "_cp932 + PathText(path);
    return false;
  }
  if (events && next <= 100) events->OnEncodeProgress(100);
  if (events) events->OnEncodeEnd();
  return true;
}

bool BuildMessageText(const TVexMsg& msg, std::string_view boundary, std::string_view mailer,
                      SmtpEvents* events, int encode_step, std::string& out, std::string& error) {
  out.clear();
  Line(out, "Message-Id: " + msg.MessageId);
  if (!msg.InReplyTo.empty()) Line(out, "In-Reply-To: " + msg.InReplyTo);
  Line(out, "Date: " + msg.DateText);
  Line(out, "X-Priority: " + std::to_string(static_cast<int>(msg.Priority) + 1));
  if (!msg.JPName.empty()) {
    Line(out, "From: " + HeaderWords(msg.JPName, true) + "<" + OutgoingJis(msg.From, true) + ">");
  } else {
    Line(out, "From: " + msg.From);
  }
  if (!msg.ReplyTo.empty()) {
    const bool named = MbFind("<", msg.ReplyTo) != std::string::npos;
    Line(out, "Reply-To: " +
                  (named ? EncodeAddressHeader(msg.ReplyTo) : OutgoingJis(msg.ReplyTo, false)));
  }
  Line(out, "X-Mailer: " + std::string(mailer));
  Line(out,
       FoldedList("To: ", HasEightBit(msg.SendTo) ? EncodeAddressHeader(msg.SendTo) : msg.SendTo));
  if (!msg.CC.empty()) {
    Line(out, FoldedList("CC: ", HasEightBit(msg.CC) ? EncodeAddressHeader(msg.CC) : msg.CC));
  }
  const bool plain_subject = DetectKanjiCode(msg.Subject) == kCodeAscii &&
                             !HasEightBit(msg.Subject) && msg.Subject.size() <= kWholeWord;
  Line(out, "Subject: " + (plain_subject ? msg.Subject : HeaderWords(msg.Subject, false)));
  Line(out, "MIME-Version: 1.0");
  // A body that ISO-2022-JP cannot carry (①, 髙 ...) goes in UTF-8, base64 encoded.
  const std::string body = msg.BodyText();
  const bool utf8_body = msg.CharSet == "ISO-2022-JP" && !FitsIso2022Jp(body);
  const std::string text_type =
      "Content-Type: Text/Plain; charset=" + (utf8_body ? std::string("UTF-8") : msg.CharSet);
  const std::string text_encoding = utf8_body ? "Content-Transfer-Encoding: base64"
                                    : msg.CharSet.find("2022-") != std::string::npos
                                        ? "Content-Transfer-Encoding: 7bit"
                                        : "Content-Transfer-Encoding: 8bit";
  const std::string delimiter = "--" + std::string(boundary);
  if (msg.Attachments.empty()) {
    Line(out, text_type);
    Line(out, text_encoding);
  } else {
    Line(out, "Content-Type: multipart/mixed; boundary=\"" + std::string(boundary) + "\"");
  }
  for (const std::string& h : msg.ExtraHeaders) Line(out, h);
  Line(out, "");

  if (!msg.Attachments.empty()) {
    Line(out, delimiter);
    Line(out, text_type);
    Line(out, text_encoding);
    Line(out, "");
  }
  // The body as one text: the Japanese escapes carry on from line to line.
  const bool japanese = HasEightBit(body);
  std::string lines;
  for (const std::string& l : msg.Text) {
    if (utf8_body) {
      Line(lines, Cp932ToUtf8(l));
    } else if (japanese) {
      JisBodyLine(lines, l);
    } else {
      PlainBodyLine(lines, l);
    }
  }
  if (utf8_body) {
    const std::string b64 = Base64Encode(lines);
    for (size_t at = 0; at < b64.size(); at += 76) Line(out, std::string_view(b64).substr(at, 76));
  } else {
    if (japanese) RomanToAsciiWhereMisread(lines);
    out += lines;
  }

  for (const TAttachedFile& a : msg.Attachments) {
    Line(out, delimiter);
    // A name that ISO-2022-JP cannot carry goes as UTF-8 in RFC 2231 parameters only.
    const std::string_view sjis_name = FileNamePart(a.FullPath);
    if (!FitsIso2022Jp(sjis_name)) {
      const std::string utf8 = Cp932ToUtf8(sjis_name);
      Line(out, "Content-Type: " + a.ContentType + ";" + std::string(kFold) +
                    ExtendedParam("name", "UTF-8", utf8, Utf8CharLen, 60));
      Line(out, "Content-Transfer-Encoding: base64");
      Line(out, "Content-Disposition: inline;" + std::string(kFold) +
                    ExtendedParam("filename", "UTF-8", utf8, Utf8CharLen, 60));
      Line(out, "");
      if (!EncodeAttachment(FsPath(a.FullPath), events, encode_step, out, error)) return false;
      continue;
    }
    Line(out, "Content-Type: " + a.ContentType + "; name=" + Quoted(a.Name));
    Line(out, "Content-Transfer-Encoding: base64");
    // A Japanese name also as an RFC 2231 parameter, the one readers take; the JIS bytes in
    // a plain parameter of this header are what some readers would take first.
    const bool japanese_name = a.Name.find('\x1B') != std::string::npos;
    if (japanese_name) {
      std::string jis = a.Name;
      RomanToAsciiWhereMisread(jis);
      Line(out, "Content-Disposition: inline; " +
                    ExtendedParam("filename", "ISO-2022-JP", jis, ByteLen, kWholeWord));
    } else {
      Line(out, "Content-Disposition: inline; FileName=" + Quoted(a.Name));
    }
    Line(out, "");
    if (!EncodeAttachment(FsPath(a.FullPath), events, encode_step, out, error)) return false;
  }
  if (!msg.Attachments.empty()) {
    Line(out, "");
    Line(out, delimiter + "--");
    Line(out, "");
  }
  return true;
}

}  // namespace sorami
