// A line socket whose server side is the fuzzer's input: every line (or counted block) the
// client reads is the next part of the input, what it writes is taken and dropped; the
// input's end is the server closing the connection.
#pragma once

#include <string>
#include <string_view>

#include "platform/LineSocket.h"

namespace sorami::fuzz {

class InputSocket : public LineSocket {
 public:
  explicit InputSocket(std::string_view input) : rest_(input) {}

  void SetTimeouts(LineSocketTimeouts) override {}
  void SetDeadline(int) override {}
  bool SetExtraCaFile(const std::string&, std::string&) override { return true; }
  bool Connect(const std::string&, int, SocketSecurity, std::string&) override { return true; }
  bool StartTls(std::string& error) override {
    error = "no TLS";
    return false;
  }
  bool ReadLine(std::string& line, std::string& error) override {
    if (rest_.empty()) {
      error = "closed";
      return false;
    }
    const size_t lf = rest_.find('\n');
    line.assign(rest_.substr(0, lf));
    rest_ = lf == std::string_view::npos ? std::string_view() : rest_.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineBytes) {
      error = "line too long";
      return false;
    }
    return true;
  }
  bool ReadBytes(size_t count, std::string& bytes, std::string& error) override {
    if (rest_.size() < count) {
      error = "closed";
      return false;
    }
    bytes.append(rest_.substr(0, count));
    rest_.remove_prefix(count);
    return true;
  }
  bool Write(std::string_view bytes, std::string&) override {
    written_ += bytes.size();
    return true;
  }
  void Close() override {}

 private:
  std::string_view rest_;
  size_t written_ = 0;
};

}  // namespace sorami::fuzz
