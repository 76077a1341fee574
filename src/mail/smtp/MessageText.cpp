#include "mail/smtp/MessageText.h"

#include <fstream>

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

// RFC 2231 value: charset, empty language, the bytes percent-encoded where needed.
std::string ExtendedValue(std::string_view jis) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "ISO-2022-JP''";
  for (char ch : jis) {
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

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out.append("\r\n");
}

// A name part and what follows it ("<address>..."), the name as an encoded word.
std::string NamedAddress(std::string_view name, std::string_view rest) {
  return JisWord(OutgoingJis(name, true)) + std::string(rest);
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
    Line(out, "From: " + JisWord(OutgoingJis(msg.JPName, true)) + "<" +
                  OutgoingJis(msg.From, true) + ">");
  } else {
    Line(out, "From: " + msg.From);
  }
  if (!msg.ReplyTo.empty()) {
    const bool named = MbFind("<", msg.ReplyTo) != std::string::npos;
    Line(out, "Reply-To: " +
                  (named ? EncodeAddressHeader(msg.ReplyTo) : OutgoingJis(msg.ReplyTo, false)));
  }
  Line(out, "X-Mailer: " + std::string(mailer));
  Line(out, "To: " + (HasEightBit(msg.SendTo) ? EncodeAddressHeader(msg.SendTo) : msg.SendTo));
  if (!msg.CC.empty()) {
    Line(out, "CC: " + (HasEightBit(msg.CC) ? EncodeAddressHeader(msg.CC) : msg.CC));
  }
  const bool plain_subject =
      DetectKanjiCode(msg.Subject) == kCodeAscii && !HasEightBit(msg.Subject);
  Line(out, "Subject: " + (plain_subject ? msg.Subject : JisWord(OutgoingJis(msg.Subject, false))));
  Line(out, "MIME-Version: 1.0");
  const std::string text_type = "Content-Type: Text/Plain; charset=" + msg.CharSet;
  const std::string text_encoding = msg.CharSet.find("2022-") != std::string::npos
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
  const std::string body = msg.BodyText();
  const bool japanese = HasEightBit(body);
  std::string lines;
  for (const std::string& l : msg.Text) {
    Line(lines, japanese ? SjisToJis(l) + std::string(kRoman) : l);
  }
  if (japanese) RomanToAsciiWhereMisread(lines);
  out += lines;

  for (const TAttachedFile& a : msg.Attachments) {
    Line(out, delimiter);
    Line(out, "Content-Type: " + a.ContentType + "; name=\"" + a.Name + "\"");
    Line(out, "Content-Transfer-Encoding: base64");
    // A Japanese name also as an RFC 2231 parameter, the one readers take; the JIS bytes in
    // a plain parameter of this header are what some readers would take first.
    const bool japanese_name = a.Name.find('\x1B') != std::string::npos;
    if (japanese_name) {
      std::string jis = a.Name;
      RomanToAsciiWhereMisread(jis);
      Line(out, "Content-Disposition: inline; filename*=" + ExtendedValue(jis));
    } else {
      Line(out, "Content-Disposition: inline; FileName=\"" + a.Name + "\"");
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
