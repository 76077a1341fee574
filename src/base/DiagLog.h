// The diagnostic log: an in-memory list of lines, each prefixed by the local time
// "mm/dd hh:nn:ss ", shown in the log window. Routines log through Log(), which never fails
// the caller; lines logged before the log window exists are dropped. The log keeps the recent
// lines only (at least kKeptLines of them), and of a long text (a whole site answer) only its
// first kMaxTextBytes, so a long run or a large answer cannot fill the memory.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

class DiagLog {
 public:
  using Clock = std::function<std::time_t()>;
  // Told of every change, so a window can follow: an appended line, or a reset (clear).
  struct Listener {
    std::function<void(const std::string& line)> appended;
    std::function<void()> reset;
  };

  static constexpr size_t kKeptLines = 20000;
  static constexpr size_t kMaxTextBytes = 64 * 1024;

  explicit DiagLog(Clock clock = [] { return std::time(nullptr); });

  // The log window now exists: lines are kept from here on.
  void Attach() { attached_ = true; }
  bool attached() const { return attached_; }

  // Appends the text with its time prefix (several lines when it holds line breaks), unless
  // logging is suspended. Before Attach() the text is dropped.
  // A text over kMaxTextBytes is cut there, with a line telling how much was left out.
  void AddLog(std::string_view text);
  // The forwarding entry point for every routine: like AddLog, but swallows any error.
  void Log(std::string_view text) noexcept;
  // The same for a head and a text logged as one ("value:" and an answer), without joining
  // them first.
  void Log(std::string_view head, std::string_view text) noexcept;

  void SetSuspended(bool on) { suspended_ = on; }
  bool suspended() const { return suspended_; }

  void Clear();
  const std::vector<std::string>& lines() const { return lines_; }
  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // Every line, each ended by CR LF, as the log file holds them.
  std::string Text() const;

  // "mm/dd hh:nn:ss " for the given time.
  static std::string TimePrefix(std::time_t t);

 private:
  void Add(std::string_view head, std::string_view text);
  void Push(std::string&& line);

  Clock clock_;
  bool attached_ = false;
  bool suspended_ = false;
  std::vector<std::string> lines_{"MemoLog"};
  Listener listener_;
};

}  // namespace sorami
