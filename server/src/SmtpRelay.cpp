// SENDSMTP: a member asks the service to relay a mail to Internet addresses. The mail keeps
// the member's code page 932 text as it is: it is labelled Shift_JIS and carried in base64.
#include <sodium.h>

#include <ctime>

#include "Commands.h"
#include "Sites.h"
#include "SmtpClient.h"
#include "Text.h"

namespace sorami::site {
namespace {

bool IsAddressChar(char c) {
  return c > 0x20 && c < 0x7F &&
         std::string_view("<>()[]\\\",;:").find(c) == std::string_view::npos;
}

bool IsAddress(std::string_view a) {
  std::size_t at = a.find('@');
  if (at == 0 || at == std::string_view::npos || at + 1 == a.size() ||
      a.find('@', at + 1) != std::string_view::npos) {
    return false;
  }
  for (char c : a) {
    if (!IsAddressChar(c)) return false;
  }
  return true;
}

// The bare addresses of a list such as "a@x.jp, Name <b@y.jp>"; refuses anything else, so no
// text from the request reaches the SMTP dialogue or the header unchecked.
std::vector<std::string> MailAddresses(std::string_view list) {
  std::vector<std::string> out;
  while (!list.empty()) {
    std::size_t comma = list.find(',');
    std::string piece = Trim(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (piece.empty()) continue;
    std::string addr = piece;
    std::size_t lt = piece.find('<'), gt = piece.rfind('>');
    if (lt != std::string::npos && gt != std::string::npos && gt > lt) {
      addr = piece.substr(lt + 1, gt - lt - 1);
    }
    if (!IsAddress(addr)) throw Refused(Sj("メールアドレスが正しくありません : ") + piece);
    out.push_back(addr);
  }
  return out;
}

std::string Base64(std::string_view bytes) {
  std::string out(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(out.data(), out.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                    bytes.size(), sodium_base64_VARIANT_ORIGINAL);
  out.pop_back();  // the terminating NUL
  return out;
}

// A header text: as it is when it is plain ASCII, else encoded words of whole characters.
std::string HeaderText(std::string_view cp932) {
  bool plain = true;
  for (char c : cp932) plain = plain && c >= 0x20 && c < 0x7F;
  if (plain) return std::string(cp932);
  std::string out;
  for (std::size_t i = 0; i < cp932.size();) {
    std::size_t end = i;
    while (end < cp932.size() && end - i + CharLen(cp932, end) <= 45) end += CharLen(cp932, end);
    out += (out.empty() ? "" : "\r\n ") + std::string("=?Shift_JIS?B?") +
           Base64(cp932.substr(i, end - i)) + "?=";
    i = end;
  }
  return out;
}

std::string MailDate() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char rest[64];
  std::strftime(rest, sizeof rest, "%Y %H:%M:%S %z", &tm);
  return std::string(kDays[tm.tm_wday]) + ", " + std::to_string(tm.tm_mday) + " " +
         kMonths[tm.tm_mon] + " " + rest;
}

std::string Joined(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& s : list) out += (out.empty() ? "" : ", ") + s;
  return out;
}

std::string BuildMessage(const Form& f, const std::string& from, const std::vector<std::string>& to,
                         const std::vector<std::string>& cc) {
  unsigned char id[12];
  randombytes_buf(id, sizeof id);
  char hex[sizeof id * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, id, sizeof id);
  const std::string& name = f.Get("SMTPNAME");
  std::string m = "From: " + (name.empty() ? from : HeaderText(name) + " <" + from + ">") + "\r\n";
  if (!to.empty()) m += "To: " + Joined(to) + "\r\n";
  if (!cc.empty()) m += "Cc: " + Joined(cc) + "\r\n";
  m += "Subject: " + HeaderText(f.Get("TITLE")) + "\r\n";
  m += "Date: " + MailDate() + "\r\n";
  m += "Message-ID: <" + std::string(hex) + "@sorami-site-server>\r\n";
  m += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=Shift_JIS\r\n";
  m += "Content-Transfer-Encoding: base64\r\nX-Mailer: sorami-site-server\r\n\r\n";
  std::string body = Base64(f.Get("HONBUN"));
  for (std::size_t i = 0; i < body.size(); i += 76) m += body.substr(i, 76) + "\r\n";
  return m;
}

}  // namespace

Answer SendSmtp(const Request& r) {
  const Form& f = r.form;
  Site site = RequireSiteByName(r.db, Required(f, "FROMSITE"));
  RequireServedHere(site, r.config.publicHost);
  Authenticate(r.db, site, f, "FROMNAME");
  if (r.config.smtpRelay.empty()) throw Refused(Sj("SMTP中継ホスト未設定"));
  std::vector<std::string> from = MailAddresses(Required(f, "SMTPFROM"));
  if (from.size() != 1)
    throw Refused(Sj("メールアドレスが正しくありません : ") + f.Get("SMTPFROM"));
  std::vector<std::string> to = MailAddresses(f.Get("TONAME"));
  std::vector<std::string> cc = MailAddresses(f.Get("CC"));
  std::vector<std::string> all = to;
  all.insert(all.end(), cc.begin(), cc.end());
  for (std::string& b : MailAddresses(f.Get("BCC"))) all.push_back(std::move(b));
  if (all.empty()) throw Refused(Sj("宛先がありません"));

  OutgoingMail mail{from[0], all, BuildMessage(f, from[0], to, cc)};
  std::string error = SendThroughRelay(r.config.smtpRelay, mail);
  if (!error.empty()) throw Refused(Sj("SMTP送信エラー : ") + error);
  return Success("SENDSMTP", "送信完了");
}

}  // namespace sorami::site
