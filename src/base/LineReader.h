// Reads a file line by line in blocks, so a large master file is never held whole.
#pragma once

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace sorami {

class LineReader {
 public:
  explicit LineReader(std::FILE* f) : f_(f), buf_(1 << 20) {}
  // Next line without its LF (and a CR before it); false at the end or on a read error.
  bool Next(std::string_view& line) {
    for (;;) {
      const char* start = buf_.data() + pos_;
      const void* lf = std::memchr(start, '\n', len_ - pos_);
      if (lf != nullptr) {
        const size_t n = static_cast<const char*>(lf) - start;
        line = std::string_view(start, n);
        pos_ += n + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
      }
      if (eof_) {
        if (pos_ == len_) return false;
        line = std::string_view(start, len_ - pos_);
        pos_ = len_;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
      }
      Fill();
    }
  }
  bool failed() const { return failed_; }

 private:
  void Fill() {
    const size_t rest = len_ - pos_;
    if (pos_ > 0) std::memmove(buf_.data(), buf_.data() + pos_, rest);
    pos_ = 0;
    len_ = rest;
    if (len_ == buf_.size()) buf_.resize(buf_.size() * 2);  // a line longer than the block
    const size_t n = std::fread(buf_.data() + len_, 1, buf_.size() - len_, f_);
    len_ += n;
    if (n == 0) {
      eof_ = true;
      failed_ = std::ferror(f_) != 0;
    }
  }

  std::FILE* f_;
  std::vector<char> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
  bool eof_ = false;
  bool failed_ = false;
};

}  // namespace sorami
