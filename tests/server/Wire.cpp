#include "Wire.h"

#include <httplib.h>
#include <iconv.h>

#include <cctype>
#include <stdexcept>

namespace sorami::sitetest {
namespace {

std::string Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  std::size_t r = iconv(cd, &src, &left, &dst, &room);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) throw std::runtime_error("iconv failed");
  out.resize(out.size() - room);
  return out;
}

// Form values (url): only ASCII letters and digits kept, a blank as "+", upper-case hex.
// Attachment queries: only bytes >= 0x80 escaped, lower-case hex.
std::string Percent(std::string_view s, bool url) {
  const char* hex = url ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (url ? c < 0x80 && std::isalnum(c) : c < 0x80) {
      out += static_cast<char>(c);
    } else if (url && c == ' ') {
      out += '+';
    } else {
      out += {'%', hex[c >> 4], hex[c & 15]};
    }
  }
  return out;
}

Reply FromResult(const httplib::Result& r) { return r ? ReadReply(r->status, r->body) : Reply{}; }

httplib::Client Client(const std::string& address) {
  httplib::Client c("http://" + address);
  c.set_read_timeout(30, 0);
  return c;
}

}  // namespace

std::string Sj(std::string_view utf8) { return Iconv("CP932", "UTF-8", utf8); }
std::string Utf(std::string_view cp932) { return Iconv("UTF-8", "CP932", cp932); }

std::string UrlEncoded(const Fields& fields) {
  std::string body;
  for (const auto& [name, value] : fields) {
    body += name + "=" + Percent(value, true) + (fields.size() > 1 ? "&" : "");
  }
  return body;
}

std::string Multipart(const Fields& fields, const std::vector<FilePart>& files,
                      const std::string& boundary) {
  std::string body;
  for (const auto& [name, value] : fields) {
    std::string v;
    for (char c : value) v += c == '%' ? Sj("％") : std::string(1, c);
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
            v + "\r\n";
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"FILE" +
            std::to_string(i) + "\"; filename=\"" + files[i].filename +
            "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + files[i].data + "\r\n";
  }
  return body + "--" + boundary + "--\r\n";
}

Reply ReadReply(int httpStatus, std::string body) {
  Reply r;
  r.httpStatus = httpStatus;
  r.body = std::move(body);
  const std::size_t crlf = r.body.find("\r\n");
  const std::string statusLine = r.body.substr(0, crlf);
  const std::size_t tab = statusLine.find('\t');
  r.status = tab == std::string::npos ? "" : statusLine.substr(tab + 1);
  const std::size_t ok = r.status.find("OK(PGM)");
  r.ok = ok != std::string::npos;
  r.message = r.ok ? r.status.substr(ok + 7) : r.status;
  for (std::size_t pos = crlf; pos != std::string::npos;) {
    const std::size_t next = r.body.find("\r\n", pos + 2);
    r.lines.push_back(r.body.substr(pos + 2, next == std::string::npos ? next : next - pos - 2));
    pos = next;
  }
  return r;
}

Reply Post(const std::string& address, const std::string& program, const Fields& fields) {
  return PostRaw(address, program, UrlEncoded(fields), "application/x-www-form-urlencoded");
}

Reply PostRaw(const std::string& address, const std::string& program, const std::string& body,
              const std::string& contentType) {
  return FromResult(Client(address).Post("/bn/" + program + "?", body, contentType));
}

Reply PostMultipart(const std::string& address, const Fields& fields,
                    const std::vector<FilePart>& files) {
  const std::string boundary = "----SoramiTestBoundary7e3f";
  return PostRaw(address, "WbMessage.exe", Multipart(fields, files, boundary),
                 "multipart/form-data; boundary=" + boundary);
}

Reply GetAttachment(const std::string& address, const std::string& file, const std::string& user,
                    const std::string& number) {
  const std::string query = "FILE=" + file + "&TOUSER=" + user + "&TONO=" + number;
  return FromResult(Client(address).Get("/bn/WbTenpu.exe?" + Percent(query, false)));
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    out.push_back(line.substr(start, tab - start));
  }
  out.push_back(line.substr(start));
  return out;
}

}  // namespace sorami::sitetest
