#include "base/DiagLog.h"

#include <cstdio>

namespace sorami {

DiagLog::DiagLog(Clock clock) : clock_(std::move(clock)) {}

std::string DiagLog::TimePrefix(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d %02d:%02d:%02d ", tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                tm.tm_min, tm.tm_sec);
  return buf;
}

void DiagLog::AddLog(std::string_view text) {
  if (!attached_ || suspended_) return;
  std::string line = TimePrefix(clock_());
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != '\r' && text[i] != '\n') {
      line += text[i];
      continue;
    }
    lines_.push_back(std::move(line));
    if (listener_.appended) listener_.appended(lines_.back());
    line.clear();
    if (end) break;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
}

void DiagLog::Log(std::string_view text) noexcept {
  try {
    AddLog(text);
  } catch (...) {
    // Logging never fails the caller.
  }
}

void DiagLog::Clear() {
  lines_.clear();
  if (listener_.reset) listener_.reset();
}

std::string DiagLog::Text() const {
  std::string bytes;
  for (const auto& l : lines_) {
    bytes += l;
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace sorami
