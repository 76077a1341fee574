#include "SmtpClient.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>

namespace sorami::site {
namespace {

class Connection {
 public:
  Connection(const std::string& relay, int timeoutSeconds) {
    std::size_t colon = relay.rfind(':');
    std::string host = relay.substr(0, colon);
    std::string port = colon == std::string::npos ? "25" : relay.substr(colon + 1);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) {
      error_ = "cannot resolve " + relay;
      return;
    }
    for (addrinfo* a = list; a && fd_ < 0; a = a->ai_next) {
      int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (fd < 0) continue;
      timeval tv{timeoutSeconds, 0};
      setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
      setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
      if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
        fd_ = fd;
      } else {
        close(fd);
      }
    }
    freeaddrinfo(list);
    if (fd_ < 0) error_ = "cannot connect to " + relay;
  }
  ~Connection() {
    if (fd_ >= 0) close(fd_);
  }
  const std::string& error() const { return error_; }

  bool Send(const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  // Reads one reply (all its lines); returns its code, or 0 when the connection failed.
  int Reply(std::string& text) {
    text.clear();
    for (;;) {
      std::string line;
      if (!ReadLine(line)) return 0;
      text += line + " ";
      if (line.size() < 3) return 0;
      if (line.size() == 3 || line[3] != '-') return std::atoi(line.substr(0, 3).c_str());
    }
  }

 private:
  bool ReadLine(std::string& line) {
    for (;;) {
      std::size_t nl = buffer_.find("\r\n");
      if (nl != std::string::npos) {
        line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 2);
        return true;
      }
      char chunk[1024];
      ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0 || buffer_.size() > 65536) return false;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  int fd_ = -1;
  std::string error_;
  std::string buffer_;
};

// A line starting with "." gets a second one, so the relay does not take it for the end.
std::string DotStuffed(const std::string& message) {
  std::string out;
  std::size_t pos = 0;
  while (pos < message.size()) {
    std::size_t nl = message.find("\r\n", pos);
    std::size_t end = nl == std::string::npos ? message.size() : nl + 2;
    if (message[pos] == '.') out += '.';
    out.append(message, pos, end - pos);
    pos = end;
  }
  if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0) out += "\r\n";
  return out + ".\r\n";
}

}  // namespace

std::string SendThroughRelay(const std::string& relay, const OutgoingMail& mail,
                             int timeoutSeconds) {
  Connection c(relay, timeoutSeconds);
  if (!c.error().empty()) return c.error();
  std::string text;
  // Sends a command (empty: none, for the greeting) and expects a reply of the given class.
  auto step = [&](const std::string& command, char expected) {
    if (!command.empty() && !c.Send(command + "\r\n")) {
      text = "connection lost";
      return false;
    }
    int code = c.Reply(text);
    if (code == 0 && text.empty()) text = "connection lost";
    return code / 100 == expected - '0';
  };
  if (!step("", '2')) return text;
  if (!step("EHLO sorami-site-server", '2') && !step("HELO sorami-site-server", '2')) return text;
  if (!step("MAIL FROM:<" + mail.from + ">", '2')) return text;
  for (const std::string& to : mail.to) {
    if (!step("RCPT TO:<" + to + ">", '2')) return text;
  }
  if (!step("DATA", '3')) return text;
  if (!c.Send(DotStuffed(mail.message))) return "connection lost";
  if (!step("", '2')) return text;
  step("QUIT", '2');  // the mail is accepted; how the relay says goodbye does not matter
  return {};
}

}  // namespace sorami::site
