#include "mail/mime/MailLines.h"

#include <algorithm>
#include <cstring>

namespace sorami {

MailLines& MailLines::operator=(const MailLines& other) {
  if (this == &other) return *this;
  Clear();
  size_t total = 0;
  for (std::string_view l : other.views_) total += l.size();
  auto buf = std::make_unique<std::string>();
  buf->reserve(total);
  for (std::string_view l : other.views_) buf->append(l);
  views_.reserve(other.views_.size());
  size_t at = 0;
  for (std::string_view l : other.views_) {
    views_.emplace_back(buf->data() + at, l.size());
    at += l.size();
  }
  texts_.push_back(std::move(buf));
  return *this;
}

void MailLines::Add(std::string_view line) {
  if (line.size() > room_ || chunks_.empty()) {
    const size_t size = std::max(kChunk, line.size());
    chunks_.push_back(std::make_unique<char[]>(size));
    used_ = 0;
    room_ = size;
  }
  char* at = chunks_.back().get() + used_;
  if (!line.empty()) std::memcpy(at, line.data(), line.size());
  used_ += line.size();
  room_ -= line.size();
  views_.emplace_back(at, line.size());
}

void MailLines::AssignText(std::string text) {
  Clear();
  auto buf = std::make_unique<std::string>(std::move(text));
  const char* p = buf->data();
  const size_t n = buf->size();
  size_t count = 0;
  for (const char* q = p; (q = static_cast<const char*>(std::memchr(q, '\n', n - (q - p)))); ++q) {
    ++count;
  }
  views_.reserve(count + 1);
  size_t start = 0;
  while (start < n) {
    const void* hit = std::memchr(p + start, '\n', n - start);
    const size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - p) : n;
    size_t len = end - start;
    if (len > 0 && p[start + len - 1] == '\r') --len;
    views_.emplace_back(p + start, len);
    start = end + 1;
  }
  texts_.push_back(std::move(buf));
}

void MailLines::Clear() {
  views_.clear();
  texts_.clear();
  chunks_.clear();
  used_ = room_ = 0;
}

std::string JoinLines(LinesView lines) {
  size_t total = 0;
  for (std::string_view l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out.append(lines[i]);
  }
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    size_t len = end - start;
    if (len > 0 && text[start + len - 1] == '\r') --len;
    out.emplace_back(text.substr(start, len));
    start = end + 1;
  }
  return out;
}

}  // namespace sorami
