#include "base/DiagLog.h"

#include <algorithm>
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

void DiagLog::AddLog(std::string_view text) { Add({}, text); }

void DiagLog::Push(std::string&& line) {
  // Old lines go in batches, a quarter of the kept number at a time, so a line costs no more
  // than a line however long the run.
  if (lines_.size() >= kKeptLines + kKeptLines / 4) {
    lines_.erase(lines_.begin(), lines_.end() - static_cast<std::ptrdiff_t>(kKeptLines - 1));
  }
  lines_.push_back(std::move(line));
  if (listener_.appended) listener_.appended(lines_.back());
}

void DiagLog::Add(std::string_view head, std::string_view text) {
  if (!attached_ || suspended_) return;
  size_t left_out = 0;
  if (head.size() + text.size() > kMaxTextBytes) {
    const size_t room = kMaxTextBytes - std::min(head.size(), kMaxTextBytes);
    left_out = head.size() + text.size() - kMaxTextBytes;
    head = head.substr(0, kMaxTextBytes);
    text = text.substr(0, room);
  }
  std::string line = TimePrefix(clock_());
  // The head, then the text: each run up to a line end is copied whole.
  std::string_view parts[2] = {head, text};
  for (int p = 0; p < 2; ++p) {
    std::string_view rest = parts[p];
    for (;;) {
      const size_t end = rest.find_first_of("\r\n");
      if (end == std::string_view::npos) {
        line.append(rest);
        break;
      }
      line.append(rest.substr(0, end));
      Push(std::move(line));
      line.clear();
      const size_t skip =
          rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n' ? 2 : 1;
      rest.remove_prefix(end + skip);
    }
  }
  Push(std::move(line));
  if (left_out > 0) Push("... (" + std::to_string(left_out) + " bytes more)");
}

void DiagLog::Log(std::string_view text) noexcept {
  try {
    Add({}, text);
  } catch (...) {
    // Logging never fails the caller.
  }
}

void DiagLog::Log(std::string_view head, std::string_view text) noexcept {
  try {
    Add(head, text);
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
