#include "mail/mime/Mbox.h"

#include <cstdio>

#include "mail/mime/Base64.h"

namespace sorami {

namespace {

// Whether a line, after its leading ">"s, starts with "From ": such a line would be taken
// for the start of the next mail.
bool IsFromLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == '>') ++i;
  return line.substr(i).starts_with("From ");
}

// "Mon Dec  7 17:54:53 2026", as the "From " line writes a date.
std::string AsctimeText(MailDateTime date) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  DecodeMailDateTime(date, y, mo, d, h, mi, s);
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // Day 0 (1899-12-30) was a Saturday.
  const long days = static_cast<long>(date);
  const int weekday = static_cast<int>(((days % 7) + 7 + 6) % 7);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %04d", kDays[weekday],
                kMonths[(mo >= 1 && mo <= 12) ? mo - 1 : 0], d, h, mi, s, y);
  return buf;
}

// A header value as one encoded word when it is not plain ASCII.
std::string EncodedValue(std::string_view text) {
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80 || u < 0x20) return "=?UTF-8?B?" + Base64Encode(text) + "?=";
  }
  return std::string(text);
}

}  // namespace

void AppendMbox(std::string& mbox, std::string_view envelope_from, MailDateTime date,
                std::string_view mail) {
  std::string sender;
  for (char c : envelope_from) {
    if (static_cast<unsigned char>(c) > ' ' && c != '<' && c != '>') sender += c;
  }
  if (sender.empty()) sender = "MAILER-DAEMON";
  mbox += "From " + sender + " " + AsctimeText(date) + "\n";
  size_t pos = 0;
  while (pos < mail.size()) {
    size_t end = mail.find('\n', pos);
    const bool last = end == std::string_view::npos;
    if (last) end = mail.size();
    std::string_view line = mail.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsFromLine(line)) mbox += '>';
    mbox.append(line);
    mbox += '\n';
    pos = last ? mail.size() : end + 1;
  }
  mbox += '\n';
}

std::vector<std::string> ReadMbox(std::string_view mbox) {
  std::vector<std::string> mails;
  std::string* current = nullptr;
  size_t pos = 0;
  bool after_blank = true;  // a "From " line starts a mail only after an empty line (or first)
  while (pos < mbox.size()) {
    size_t end = mbox.find('\n', pos);
    if (end == std::string_view::npos) end = mbox.size();
    std::string_view line = mbox.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("From ") && (after_blank || current == nullptr)) {
      // The empty line before it belongs to the mbox, not to the mail before.
      if (current && current->ends_with("\r\n\r\n")) current->resize(current->size() - 2);
      current = &mails.emplace_back();
      after_blank = false;
      continue;
    }
    after_blank = line.empty();
    if (current == nullptr) continue;  // text before the first mail is no mail
    if (!line.empty() && line[0] == '>' && IsFromLine(line)) line.remove_prefix(1);
    current->append(line);
    current->append("\r\n");
  }
  if (current && current->ends_with("\r\n\r\n")) current->resize(current->size() - 2);
  return mails;
}

std::string MakeTextMail(const TextMailFields& f) {
  std::string out;
  out += "From: " + EncodedValue(f.from) + "\r\n";
  if (!f.to.empty()) out += "To: " + EncodedValue(f.to) + "\r\n";
  out += "Subject: " + EncodedValue(f.subject) + "\r\n";
  out += "Date: " + MailDateText(f.date) + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: text/plain; charset=UTF-8\r\n";
  out += "Content-Transfer-Encoding: base64\r\n\r\n";
  const std::string encoded = Base64Encode(f.body);
  for (size_t i = 0; i < encoded.size(); i += 76) out += encoded.substr(i, 76) + "\r\n";
  return out;
}

}  // namespace sorami
