// A small SMTP server for the relay tests: it accepts mail on a loopback port and keeps what
// it received; it can refuse recipients or drop connections to play a failing relay.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sorami::sitetest {

struct ReceivedMail {
  std::string from;
  std::vector<std::string> to;
  std::string data;  // as transmitted, dot-stuffing undone, without the final "."
};

class SmtpSink {
 public:
  SmtpSink();
  ~SmtpSink();
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::vector<ReceivedMail> mails();
  std::atomic<bool> refuseRecipients{false};
  std::atomic<bool> dropConnections{false};

 private:
  void Serve();
  void Session(int fd);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<ReceivedMail> mails_;
  std::thread thread_;
};

}  // namespace sorami::sitetest
