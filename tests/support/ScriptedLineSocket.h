// A line socket that plays a server dialogue written as data, for protocol tests without a
// network. The script has one step a line:
//   S: text   the server sends this line ("S:" alone: an empty line); a counted read
//             (ReadBytes) takes the server's lines as bytes, each ended by CR LF
//   C: text   the client must send exactly this line, then CR LF
//   TLS       the client must call StartTls() here
//   # ...     a comment; blank lines are skipped too
// The script ending is the server closing the connection. A client that sends another line,
// sends a bare LF, or reads or negotiates TLS where it should send, fails the test with both
// texts, and the connection then stays broken.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LineSocket.h"
#include "support/Scratch.h"

namespace sorami::test {

class ScriptedLineSocket : public LineSocket {
 public:
  enum class Step { kServer, kClient, kTls };

  explicit ScriptedLineSocket(std::string_view script) {
    size_t start = 0;
    while (start < script.size()) {
      size_t end = script.find('\n', start);
      if (end == std::string_view::npos) end = script.size();
      std::string_view line = script.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty() || line.front() == '#') continue;
      if (line == "TLS") {
        steps_.push_back({Step::kTls, ""});
      } else if (line.starts_with("S:") || line.starts_with("C:")) {
        std::string_view text = line.substr(2);
        if (text.starts_with(' ')) text.remove_prefix(1);
        steps_.push_back({line[0] == 'S' ? Step::kServer : Step::kClient, std::string(text)});
      } else {
        ADD_FAILURE() << "script line is neither S:, C:, TLS nor a comment: " << line;
      }
    }
  }
  // A script under tests/data/dialogues/.
  static std::unique_ptr<ScriptedLineSocket> FromFile(const std::string& name) {
    std::filesystem::path file = DataFile("dialogues/" + name);
    if (!std::filesystem::exists(file)) {  // run by hand, not by CTest
      file = std::filesystem::path(SORAMI_TESTS_DIR) / "data/dialogues" / name;
    }
    return std::make_unique<ScriptedLineSocket>(ReadFileBytes(file));
  }

  // Makes Connect() fail with this error, as an unreachable server would.
  void FailConnect(std::string error) { connect_error_ = std::move(error); }

  void SetTimeouts(LineSocketTimeouts) override {}
  void SetDeadline(int ms) override { deadlines_.push_back(ms); }
  bool SetExtraCaFile(const std::string&, std::string&) override { return true; }
  bool Connect(const std::string&, int, SocketSecurity, std::string& error) override {
    if (!connect_error_.empty()) error = connect_error_;
    return open_ = connect_error_.empty();
  }
  bool StartTls(std::string& error) override {
    if (!Expect(Step::kTls, "starts TLS", error)) return false;
    ++pos_;
    return true;
  }
  bool ReadLine(std::string& line, std::string& error) override {
    line.clear();
    if (!Usable(error)) return false;
    if (!pending_.empty()) return Fail("client line without CR LF: " + pending_, error);
    if (!partial_.empty()) {  // the rest of a line a counted read began
      line = partial_.substr(0, partial_.size() - (partial_.ends_with("\r\n") ? 2 : 1));
      partial_.clear();
      return true;
    }
    if (pos_ == steps_.size()) {
      error = "connection closed";
      return false;
    }
    if (!Expect(Step::kServer, "reads", error)) return false;
    line = steps_[pos_++].text;
    return true;
  }
  bool ReadBytes(size_t count, std::string& bytes, std::string& error) override {
    if (!Usable(error)) return false;
    while (partial_.size() < count) {
      if (pos_ == steps_.size()) {
        error = "connection closed";
        return false;
      }
      if (!Expect(Step::kServer, "reads", error)) return false;
      partial_ += steps_[pos_++].text + "\r\n";
    }
    bytes.append(partial_, 0, count);
    partial_.erase(0, count);
    return true;
  }
  bool Write(std::string_view bytes, std::string& error) override {
    if (!Usable(error)) return false;
    sent_.append(bytes);
    pending_.append(bytes);
    for (size_t lf; (lf = pending_.find('\n')) != std::string::npos;) {
      if (lf == 0 || pending_[lf - 1] != '\r') {
        return Fail("client line ends in a bare LF: " + pending_.substr(0, lf), error);
      }
      const std::string line = pending_.substr(0, lf - 1);
      pending_.erase(0, lf + 1);
      if (!Expect(Step::kClient, "sent \"" + line + "\"", error, &line)) return false;
      ++pos_;
    }
    return true;
  }
  void Close() override { open_ = false; }

  // Every step was played and the client left no half-written line.
  bool Finished() const {
    return pos_ == steps_.size() && pending_.empty() && partial_.empty() && !broken_;
  }
  const std::string& sent() const { return sent_; }  // all client bytes, in order
  bool open() const { return open_; }
  // Every SetDeadline() the client made, in order.
  const std::vector<int>& deadlines() const { return deadlines_; }

 private:
  struct Entry {
    Step step;
    std::string text;
  };

  bool Usable(std::string& error) const {
    if (open_ && !broken_) return true;
    error = broken_ ? "the dialogue left the script" : "not connected";
    return false;
  }
  std::string Expected() const {
    if (pos_ == steps_.size()) return "the end of the script";
    const Entry& e = steps_[pos_];
    return e.step == Step::kTls ? "TLS" : (e.step == Step::kServer ? "S: " : "C: ") + e.text;
  }
  // Whether the next step is `step` and, for a client line, has the text the client sent.
  bool Expect(Step step, const std::string& client_did, std::string& error,
              const std::string* client_line = nullptr) {
    if (!Usable(error)) return false;
    if (pos_ < steps_.size() && steps_[pos_].step == step &&
        (!client_line || steps_[pos_].text == *client_line)) {
      return true;
    }
    return Fail("client " + client_did + " where the script expects " + Expected(), error);
  }
  bool Fail(const std::string& what, std::string& error) {
    ADD_FAILURE() << what << " (step " << pos_ + 1 << " of " << steps_.size() << ")";
    broken_ = true;
    error = what;
    return false;
  }

  std::vector<Entry> steps_;
  size_t pos_ = 0;
  std::string pending_;  // client bytes after the last CR LF
  std::string partial_;  // server bytes a counted read took from a line but did not use
  std::string sent_, connect_error_;
  std::vector<int> deadlines_;
  bool open_ = false, broken_ = false;
};

}  // namespace sorami::test
