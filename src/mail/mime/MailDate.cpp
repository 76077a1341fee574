#include "mail/mime/MailDate.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "mail/mime/MailHeader.h"

namespace sorami {

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long>(yoe) + era * 400 + (m <= 2));
}

constexpr long kDaysTo1899_12_30 = -25569;  // DaysFromCivil(1899, 12, 30)

int DaysInMonth(int y, int m) {
  static constexpr int kLen[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kLen[m - 1];
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int ToInt(std::string_view s) {
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    v = v * 10 + (c - '0');
    if (v > 1000000) break;
  }
  return v;
}

int MonthNumber(std::string_view name) {
  if (name.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    bool same = true;
    for (int k = 0; k < 3; ++k) {
      char c = name[static_cast<size_t>(k)];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      char e = kMonths[i][k];
      if (e >= 'a' && e <= 'z') e = static_cast<char>(e - 32);
      if (c != e) same = false;
    }
    if (same) return i + 1;
  }
  return 0;
}

std::vector<std::string_view> SplitBlanks(std::string_view s) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    const size_t start = i;
    while (i < s.size() && static_cast<unsigned char>(s[i]) > ' ') ++i;
    if (i > start) out.push_back(s.substr(start, i - start));
  }
  return out;
}

// Offset east of UTC in minutes of a zone token, or false when the token is not a zone.
bool ZoneOffset(std::string_view z, int& minutes) {
  if (z.size() == 5 && (z[0] == '+' || z[0] == '-') && IsDigits(z.substr(1))) {
    const int hhmm = ToInt(z.substr(1));
    minutes = (hhmm / 100) * 60 + hhmm % 100;
    if (z[0] == '-') minutes = -minutes;
    return true;
  }
  static constexpr struct {
    const char* name;
    int minutes;
  } kNamed[] = {{"UT", 0},        {"UTC", 0},       {"GMT", 0},       {"Z", 0},
                {"JST", 9 * 60},  {"EST", -5 * 60}, {"EDT", -4 * 60}, {"CST", -6 * 60},
                {"CDT", -5 * 60}, {"MST", -7 * 60}, {"MDT", -6 * 60}, {"PST", -8 * 60},
                {"PDT", -7 * 60}};
  const std::string upper = UpperAscii(z);
  for (const auto& n : kNamed) {
    if (upper == n.name) {
      minutes = n.minutes;
      return true;
    }
  }
  return false;
}

int WidenYear(int year, size_t digits) {
  if (digits <= 2 && year < 80) return year + 2000;
  if (year < 1000) return year + 1900;
  return year;
}

bool ReadTime(std::string_view t, int& h, int& n, int& s) {
  h = n = s = 0;
  size_t field = 0, start = 0;
  int parts[3] = {0, 0, 0};
  for (size_t i = 0; i <= t.size(); ++i) {
    if (i == t.size() || t[i] == ':') {
      if (field >= 3 || !IsDigits(t.substr(start, i - start))) return false;
      parts[field++] = ToInt(t.substr(start, i - start));
      start = i + 1;
    }
  }
  if (field < 2) return false;
  h = parts[0];
  n = parts[1];
  s = parts[2];
  return h < 24 && n < 60 && s < 61;
}

}  // namespace

MailDateTime EncodeMailDateTime(int year, int month, int day, int hour, int minute, int second) {
  const long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                    kDaysTo1899_12_30;
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

void DecodeMailDateTime(MailDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                        int& second) {
  double days = std::floor(value);
  long secs = std::lround((value - days) * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    days += 1;
  }
  CivilFromDays(static_cast<long>(days) + kDaysTo1899_12_30, year, month, day);
  hour = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  second = static_cast<int>(secs % 60);
}

MailDateTime MailDateTimeFromTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return EncodeMailDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                            tm.tm_sec);
}

MailDateTime MailDateTimeNow() { return MailDateTimeFromTime(std::time(nullptr)); }

std::string FormatMailDateTime(MailDateTime value) {
  int y, m, d, h, n, s;
  DecodeMailDateTime(value, y, m, d, h, n, s);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", y, m, d, h, n, s);
  return buf;
}

std::string MailDateText(MailDateTime value) {
  int y, m, d, h, n, s;
  DecodeMailDateTime(value, y, m, d, h, n, s);
  const long days = static_cast<long>(std::floor(value));
  const int dow = static_cast<int>(((days + 6) % 7 + 7) % 7);  // 1899-12-30 was a Saturday
  // The offset is the local time less the moment it names (mktime settles summer time and
  // normalizes a time that the clock skipped).
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = m - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = n;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  const long long moment = std::mktime(&tm);
  const long long local =
      static_cast<long long>(DaysFromCivil(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                                           static_cast<unsigned>(tm.tm_mday))) *
          86400 +
      tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
  const long long offset = (local - moment) / 60;  // minutes east of UTC
  const long long size = offset < 0 ? -offset : offset;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d %c%02lld%02lld", kDays[dow], d,
                kMonths[m - 1], y, h, n, s, offset < 0 ? '-' : '+', size / 60, size % 60);
  return buf;
}

bool ParseMailDate(std::string_view text, MailDateTime& value) {
  value = 0;
  const size_t comma = text.find(',');
  if (comma != std::string_view::npos) text = text.substr(comma + 1);
  std::vector<std::string_view> tokens = SplitBlanks(TrimView(text));
  // A trailing comment such as "(JST)" says nothing the zone does not.
  while (!tokens.empty() && tokens.back().front() == '(') tokens.pop_back();

  int year = -1, month = 0, day = 0, h = 0, n = 0, s = 0, zone = 0;
  size_t year_digits = 4;
  bool have_zone = false, have_time = false;
  auto take_dashed = [&](std::string_view t) {
    // d-m-y or d-Mon-y
    const size_t a = t.find('-');
    const size_t b = a == std::string_view::npos ? a : t.find('-', a + 1);
    if (b == std::string_view::npos) return false;
    const std::string_view dd = t.substr(0, a), mm = t.substr(a + 1, b - a - 1),
                           yy = t.substr(b + 1);
    if (!IsDigits(dd) || !IsDigits(yy)) return false;
    day = ToInt(dd);
    month = IsDigits(mm) ? ToInt(mm) : MonthNumber(mm);
    year = ToInt(yy);
    year_digits = yy.size();
    return true;
  };

  if (tokens.size() >= 3 && IsDigits(tokens[0]) && MonthNumber(tokens[1]) > 0 &&
      IsDigits(tokens[2])) {
    day = ToInt(tokens[0]);
    month = MonthNumber(tokens[1]);
    year = ToInt(tokens[2]);
    year_digits = tokens[2].size();
    if (tokens.size() >= 4) have_time = ReadTime(tokens[3], h, n, s);
    if (tokens.size() >= 5) have_zone = ZoneOffset(tokens[4], zone);
  } else {
    for (std::string_view t : tokens) {
      if (year < 0 && t.find('-') != std::string_view::npos && t.front() != '-' &&
          t.front() != '+' && take_dashed(t)) {
        continue;
      }
      if (!have_time && t.find(':') != std::string_view::npos) {
        have_time = ReadTime(t, h, n, s);
        continue;
      }
      if (!have_zone && year >= 0 && ZoneOffset(t, zone)) have_zone = true;
    }
  }
  if (year < 0) return false;
  year = WidenYear(year, year_digits);
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || year > 9999) {
    return true;
  }
  if (!have_time) h = n = s = 0;
  if (s == 60) s = 59;
  if (!have_zone) {
    value = EncodeMailDateTime(year, month, day, h, n, s);
    return true;
  }
  // The moment in UTC, then the local time of this machine at that moment.
  const long long utc = (static_cast<long long>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                              static_cast<unsigned>(day))) *
                             86400 +
                         h * 3600 + n * 60 + s) -
                        static_cast<long long>(zone) * 60;
  value = MailDateTimeFromTime(static_cast<std::time_t>(utc));
  return true;
}

}  // namespace sorami
