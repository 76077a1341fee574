// The account log of the settings window ("送受信ログ"): one line per site request, fetch and
// send of the run, kept in memory only.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

class AccountLog {
 public:
  using Clock = std::function<std::time_t()>;
  explicit AccountLog(Clock clock = [] { return std::time(nullptr); }) : clock_(std::move(clock)) {}

  // "hh:nn:ss " then "%4s %-26s%-8s%-4s%s" of kind, the account (A, or A "%" E unless the
  // kind is "SEND"), C, D and B.
  void AddLogLine(std::string_view kind, std::string_view a, std::string_view b, std::string_view c,
                  std::string_view d, std::string_view e);
  // "hh:nn:ss " then the text.
  void AddLogText(std::string_view text);
  void Clear();

  const std::vector<std::string>& lines() const { return lines_; }
  // Told of each appended line (empty callback: nobody listens).
  std::function<void(const std::string&)> on_append;
  std::function<void()> on_clear;

 private:
  std::string Stamp() const;
  void Append(std::string line);

  Clock clock_;
  std::vector<std::string> lines_;
};

}  // namespace sorami
