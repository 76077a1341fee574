#include <httplib.h>
#include <iconv.h>

#include <cctype>
#include <regex>
#include <stdexcept>

#include "World.h"

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
    if (url && c == ' ')
      out += '+';
    else if (c < 0x80 && (!url || std::isalnum(c)))
      out += static_cast<char>(c);
    else
      out += {'%', hex[c >> 4], hex[c & 15]};
  }
  return out;
}

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t at; (at = s.find(sep, start)) != std::string::npos; start = at + sep.size()) {
    out.push_back(s.substr(start, at - start));
  }
  out.push_back(s.substr(start));
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
  auto part = [&](const std::string& head, const std::string& data) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + head + "\r\n\r\n" +
            data + "\r\n";
  };
  for (const auto& [name, value] : fields) {
    part(name + "\"", std::regex_replace(value, std::regex("%"), Sj("％")));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    part("FILE" + std::to_string(i) + "\"; filename=\"" + files[i].filename +
             "\"\r\nContent-Type: application/octet-stream",
         files[i].data);
  }
  return body + "--" + boundary + "--\r\n";
}

Reply ReadReply(int httpStatus, std::string body) {
  Reply r{httpStatus, std::move(body), "", false, "", {}};
  std::vector<std::string> lines = Split(r.body, "\r\n");
  const std::size_t tab = lines[0].find('\t');
  r.status = tab == std::string::npos ? "" : lines[0].substr(tab + 1);
  const std::size_t ok = r.status.find("OK(PGM)");
  r.ok = ok != std::string::npos;
  r.message = r.ok ? r.status.substr(ok + 7) : r.status;
  r.lines.assign(lines.begin() + 1, lines.end());
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

std::vector<std::string> SplitTabs(const std::string& line) { return Split(line, "\t"); }

}  // namespace sorami::sitetest
