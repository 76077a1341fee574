#include "Form.h"

namespace sorami::site {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void Form::Add(std::string name, std::string value) {
  if (!Has(name)) fields_.emplace_back(std::move(name), std::move(value));
}

const std::string& Form::Get(std::string_view name) const {
  static const std::string empty;
  for (const auto& [n, v] : fields_) {
    if (n == name) return v;
  }
  return empty;
}

bool Form::Has(std::string_view name) const {
  for (const auto& field : fields_) {
    if (field.first == name) return true;
  }
  return false;
}

std::optional<std::string> PercentDecode(std::string_view s, bool plusIsSpace) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%') {
      if (i + 2 >= s.size()) return std::nullopt;
      int hi = HexValue(s[i + 1]), lo = HexValue(s[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else if (s[i] == '+' && plusIsSpace) {
      out += ' ';
    } else {
      out += s[i];
    }
  }
  return out;
}

std::optional<Form> ParseUrlEncoded(std::string_view body) {
  Form form;
  while (!body.empty()) {
    std::size_t amp = body.find('&');
    std::string_view pair = body.substr(0, amp);
    body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
    if (pair.empty()) continue;
    std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos || eq == 0) return std::nullopt;
    auto name = PercentDecode(pair.substr(0, eq), true);
    auto value = PercentDecode(pair.substr(eq + 1), true);
    if (!name || !value) return std::nullopt;
    form.Add(std::move(*name), std::move(*value));
  }
  return form;
}

std::optional<TenpuQuery> ParseTenpuQuery(std::string_view query) {
  constexpr std::string_view kFile = "FILE=", kUser = "&TOUSER=", kNo = "&TONO=";
  if (!query.starts_with(kFile)) return std::nullopt;
  std::size_t no = query.rfind(kNo);
  if (no == std::string_view::npos) return std::nullopt;
  std::size_t user = query.rfind(kUser, no);
  if (user == std::string_view::npos || user < kFile.size()) return std::nullopt;
  TenpuQuery q;
  q.fileRaw = std::string(query.substr(kFile.size(), user - kFile.size()));
  auto file = PercentDecode(q.fileRaw, false);
  auto userName = PercentDecode(query.substr(user + kUser.size(), no - user - kUser.size()), false);
  auto number = PercentDecode(query.substr(no + kNo.size()), false);
  if (!userName || !number) return std::nullopt;
  // A name with a stray "%" is still looked up under its raw form.
  q.file = file ? *file : q.fileRaw;
  q.user = *userName;
  q.number = *number;
  return q;
}

}  // namespace sorami::site
