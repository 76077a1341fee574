#include "mail/mime/MailUtil.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "mail/mime/MailHeader.h"

namespace sorami {

namespace {

// One generator per thread, seeded from the system's entropy and the clock, so two
// identifiers made within one clock tick still differ.
std::mt19937& Generator() {
  thread_local std::mt19937 gen = [] {
    std::random_device rd;
    std::seed_seq seq{
        rd(), rd(),
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return std::mt19937(seq);
  }();
  return gen;
}

std::string RandomLetters(std::mt19937& random, int count, int range) {
  std::uniform_int_distribution<int> pick(0, range - 1);
  std::string out;
  for (int i = 0; i < count; ++i) out += static_cast<char>('a' + pick(random));
  return out;
}

bool ParseInt(std::string_view s, int& v) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

}  // namespace

std::string MakeMessageId(std::string_view domain, MailDateTime now, std::mt19937& random) {
  int y, m, d, h, n, s;
  DecodeMailDateTime(now, y, m, d, h, n, s);
  char date[24];
  std::snprintf(date, sizeof date, "%04d.%02d.%02d.", y, m, d);
  return "<HKW." + std::string(date) + RandomLetters(random, 8, 20) + "@" + std::string(domain) +
         ">";
}

std::string MakeMessageId(std::string_view domain) {
  return MakeMessageId(domain, MailDateTimeNow(), Generator());
}

std::string MakeBoundary(std::mt19937& random) {
  return "--_VEX_bound_" + RandomLetters(random, 12, 25);
}

std::string MakeBoundary() { return MakeBoundary(Generator()); }

bool IsIPAddress(std::string_view text) {
  int parts = 0;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '.') continue;
    const std::string_view p = text.substr(start, i - start);
    if (p.empty() || p.size() > 3) return false;
    for (char c : p) {
      if (c < '0' || c > '9') return false;
    }
    int v = 0;
    ParseInt(p, v);
    if (v > 255 || ++parts > 4) return false;
    start = i + 1;
  }
  return parts == 4;
}

int TokenToInt(std::string_view text, int n, int default_value) {
  std::string_view rest = TrimView(text);
  for (int k = 1; k < n; ++k) {
    const size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return default_value;
    rest = rest.substr(blank + 1);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  }
  const std::string_view token = rest.substr(0, rest.find(' '));
  int v = 0;
  return ParseInt(token, v) ? v : default_value;
}

std::filesystem::path TempFileName() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  if (ec) dir = "/tmp";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path p = dir / ("vex" + RandomLetters(Generator(), 10, 26) + ".tmp");
    // Claiming the name by creating the file proves it was free; it is removed again.
    if (FILE* f = std::fopen(p.c_str(), "wx")) {
      std::fclose(f);
      std::filesystem::remove(p, ec);
      return p;
    }
  }
  return dir / ("vex" + RandomLetters(Generator(), 16, 26) + ".tmp");
}

}  // namespace sorami
