#include "base/AccountLog.h"

#include <cstdio>

namespace sorami {

namespace {

// Pads on the right (or left) to a width in bytes; longer values are not cut.
std::string Pad(std::string_view s, size_t width, bool right_align = false) {
  std::string out(s);
  if (out.size() < width) out.insert(right_align ? 0 : out.size(), width - out.size(), ' ');
  return out;
}

}  // namespace

std::string AccountLog::Stamp() const {
  const std::time_t t = clock_();
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d ", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

void AccountLog::Append(std::string line) {
  lines_.push_back(std::move(line));
  if (on_append) on_append(lines_.back());
}

void AccountLog::AddLogLine(std::string_view kind, std::string_view a, std::string_view b,
                            std::string_view c, std::string_view d, std::string_view e) {
  const std::string who = kind == "SEND" ? std::string(a) : std::string(a) + "%" + std::string(e);
  Append(Stamp() + Pad(kind, 4, true) + " " + Pad(who, 26) + Pad(c, 8) + Pad(d, 4) +
         std::string(b));
}

void AccountLog::AddLogText(std::string_view text) { Append(Stamp() + std::string(text)); }

void AccountLog::Clear() {
  lines_.clear();
  if (on_clear) on_clear();
}

}  // namespace sorami
