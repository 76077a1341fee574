// The lines of a mail: one text buffer and a view per line, so that a message of many
// megabytes is held once and its parts are handed around as ranges of lines, never copied.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

// A run of lines (without their line ends) of a MailLines or of any other owner.
using LinesView = std::span<const std::string_view>;

class MailLines {
 public:
  MailLines() = default;
  MailLines(MailLines&&) noexcept = default;
  MailLines& operator=(MailLines&&) noexcept = default;
  MailLines(const MailLines& other) { *this = other; }
  MailLines& operator=(const MailLines& other);

  // Appends one line (its text without the line end).
  void Add(std::string_view line);
  // Replaces the lines by those of a whole message, split at LF with a CR before it removed;
  // takes the text over without copying it.
  void AssignText(std::string text);
  void Clear();

  size_t size() const { return views_.size(); }
  bool empty() const { return views_.empty(); }
  std::string_view operator[](size_t i) const { return views_[i]; }
  LinesView view() const { return views_; }
  auto begin() const { return views_.begin(); }
  auto end() const { return views_.end(); }

 private:
  static constexpr size_t kChunk = 64 * 1024;
  // Stable storage the views point into: whole texts taken over, and chunks for added lines.
  std::vector<std::unique_ptr<std::string>> texts_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  size_t used_ = 0;  // bytes used in the last chunk
  size_t room_ = 0;  // bytes free in the last chunk
  std::vector<std::string_view> views_;
};

// The lines joined with CR LF (no line end after the last).
std::string JoinLines(LinesView lines);
// Splits text at LF (a CR before it removed); a final line end gives no empty last line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace sorami
