#include "site/SiteWire.h"

#include <algorithm>

#include "base/MbText.h"
#include "platform/Codepage.h"

namespace sorami {

std::string_view SiteRequestName(SiteRequest kind) {
  switch (kind) {
    case SiteRequest::kGet:
      return "GET";
    case SiteRequest::kGetDel:
      return "GETDEL";
    case SiteRequest::kGetHost:
      return "GETHOST";
    case SiteRequest::kGetDyn:
      return "GETDYN";
    case SiteRequest::kCheck:
      return "CHECK";
    case SiteRequest::kSendWin:
      return "SENDWIN";
    case SiteRequest::kSendSmtp:
      return "SENDSMTP";
    case SiteRequest::kFeedback:
      return "FEEDBACK";
    case SiteRequest::kGetFeedback:
      return "GETFEEDBACK";
  }
  return "";
}

std::string SiteUrl(SiteRequest kind, std::string_view host) {
  const std::string_view program =
      kind == SiteRequest::kGetDyn ? "WbUpdate.exe?" : "WbMessage.exe?";
  return "http://" + std::string(host) + "/bn/" + std::string(program);
}

std::string UrlEncodeValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (const char ch : value) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string UrlEncodedBody(const std::vector<std::string>& fields) {
  std::string body;
  for (size_t i = 0; i < fields.size(); ++i) {
    const size_t eq = fields[i].find('=');
    if (eq == std::string::npos) {
      body += fields[i];
    } else {
      body += fields[i].substr(0, eq + 1);
      body += UrlEncodeValue(std::string_view(fields[i]).substr(eq + 1));
    }
    if (fields.size() >= 2) body += '&';
  }
  return body;
}

std::string MultipartBody(const std::vector<std::string>& fields,
                          const std::vector<MultipartFile>& files, std::string_view boundary) {
  const std::string dash = "--" + std::string(boundary);
  const std::string zen_percent = "％"_cp932;
  std::string body;
  for (const std::string& line : fields) {
    std::string value = line;
    std::string name;
    SplitToken("=", value, name);
    ReplaceAll("%", zen_percent, value);
    body += dash + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
    body += value + "\r\n";
  }
  for (size_t i = 0; i < files.size(); ++i) {
    body += dash + "\r\nContent-Disposition: form-data; name=\"FILE" + std::to_string(i) +
            "\"; filename=\"" + files[i].name + "\"\r\n";
    body += "Content-Type: application/octet-stream\r\n\r\n";
    body += files[i].bytes + "\r\n";
  }
  body += dash + "--\r\n";
  return body;
}

std::string FieldForLog(std::string_view field) {
  const size_t eq = field.find('=');
  const std::string_view name = field.substr(0, eq);
  if (eq == std::string_view::npos || name.find("PASS") == std::string_view::npos) {
    return std::string(field);
  }
  return std::string(name) + "=********";
}

namespace {

// The length of the UTF-8 sequence starting with lead (1 for a byte that starts none).
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

std::string SendFileName(const std::filesystem::path& file) {
  const std::string utf8 = file.filename().string();
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const size_t n = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    const std::string_view ch(utf8.data() + i, n);
    const std::string sj = Utf8ToCp932(ch);
    // The converter writes "〓" for what it cannot hold; a real "〓" in the name stays.
    const bool unheld = sj == kGetaMark && ch != "〓";
    // Marks that would break the form's header or a list of names go as "_" too.
    const bool mark =
        n == 1 && (static_cast<unsigned char>(ch[0]) < 0x20 || ch[0] == 0x7F ||
                   std::string_view(",#<>:\"|?*\\").find(ch[0]) != std::string_view::npos);
    out += unheld || mark ? std::string("_") : sj;
    i += n;
  }
  return out;
}

bool GetResult(std::string_view body, std::string& value, std::string& msg) {
  std::string_view rest = body, status;
  CutLine(rest, status);
  // The answer's lines end as its status line does: a status line ended by LF alone makes
  // every LF a line end, and the value is handed on in CR LF lines.
  const bool lf_only = status.size() < body.size() && body[status.size()] == '\n';
  std::string before_tab;
  msg = std::string(status);
  SplitToken("\t", msg, before_tab);  // without a TAB the message is empty
  value = std::string(rest);
  if (lf_only) ReplaceAll("\n", "\r\n", value);
  const size_t at = MbFind(kOkPgm, msg, true);
  if (at == std::string::npos) return false;
  msg = msg.substr(at + kOkPgm.size());
  return true;
}

}  // namespace sorami
