#include "Connections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "Answer.h"
#include "RequestLog.h"
#include "Text.h"

namespace sorami::site {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kBytesPerSecond = 64 * 1024;  // the slowest body or answer allowed

void AddressOf(int sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage a{};
  socklen_t len = sizeof a;
  int rc = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&a), &len)
                : getsockname(sock, reinterpret_cast<sockaddr*>(&a), &len);
  if (rc != 0) return;
  char text[INET6_ADDRSTRLEN] = "";
  if (a.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (a.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  ip = text;
}

// A connection's socket as httplib reads and writes it: buffered reads, and every wait ends at
// the deadline of the current phase (or after `idle` without progress).
class DeadlineStream : public httplib::Stream {
 public:
  DeadlineStream(int sock, Clock::duration idle) : sock_(sock), idle_(idle) {}

  void SetDeadline(Clock::time_point deadline, const char* phase) {
    deadline_ = deadline;
    phase_ = phase;
  }
  // The phase whose deadline passed first, or nullptr.
  const char* expired() const { return expired_; }

  bool is_readable() const override { return got_ < end_ || Wait(POLLIN); }
  bool is_writable() const override { return Wait(POLLOUT); }
  ssize_t read(char* ptr, std::size_t size) override {
    if (got_ == end_) {
      if (!Wait(POLLIN)) return -1;
      ssize_t n = recv(sock_, buffer_, sizeof buffer_, 0);
      if (n <= 0) return n;
      got_ = 0;
      end_ = static_cast<std::size_t>(n);
    }
    std::size_t n = std::min(size, end_ - got_);
    std::copy(buffer_ + got_, buffer_ + got_ + n, ptr);
    got_ += n;
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, std::size_t size) override {
    if (!Wait(POLLOUT)) return -1;
    return send(sock_, ptr, size, MSG_NOSIGNAL);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(sock_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(sock_, false, ip, port);
  }
  socket_t socket() const override { return sock_; }

 private:
  bool Wait(short events) const {
    Clock::duration left = std::min(idle_, deadline_ - Clock::now());
    if (left <= Clock::duration::zero()) {
      if (!expired_) expired_ = phase_;
      return false;
    }
    pollfd p{sock_, events, 0};
    int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    int rc = poll(&p, 1, ms);
    if (rc == 0 && Clock::now() >= deadline_ && !expired_) expired_ = phase_;
    return rc > 0;
  }

  int sock_;
  Clock::duration idle_;
  Clock::time_point deadline_ = Clock::time_point::max();
  const char* phase_ = "";
  mutable const char* expired_ = nullptr;
  char buffer_[4096];
  std::size_t got_ = 0, end_ = 0;
};

// The stream of the connection this worker serves, for the phase changes the handlers mark.
thread_local DeadlineStream* current = nullptr;

Clock::time_point DeadlineFor(std::int64_t seconds, std::size_t bytes) {
  return Clock::now() + std::chrono::seconds(seconds + bytes / kBytesPerSecond);
}

// Waits up to `seconds` for the next request of a kept-alive connection; false when none comes
// or the server stops.
bool NextRequestComes(int sock, std::time_t seconds, const std::atomic<socket_t>& listener) {
  for (auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end;) {
    if (listener == INVALID_SOCKET) return false;
    pollfd p{sock, POLLIN, 0};
    int rc = poll(&p, 1, 100);
    if (rc != 0) return rc > 0;
  }
  return false;
}

}  // namespace

GuardedServer::GuardedServer(const ConnectionLimits& limits) : limits_(limits) {
  new_task_queue = [n = limits.workers] { return new httplib::ThreadPool(n); };
  // After the headers, the body has its own time; after the handler, the answer.
  set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    std::size_t length = 0;
    try {
      length = std::stoull(req.get_header_value("Content-Length"));
    } catch (const std::exception&) {
    }
    if (current) current->SetDeadline(DeadlineFor(limits_.bodySeconds, length), "body");
    if (before_routing) before_routing(req);
    return HandlerResponse::Unhandled;
  });
  set_post_routing_handler([this](const httplib::Request&, httplib::Response& res) {
    if (current) current->SetDeadline(DeadlineFor(limits_.bodySeconds, res.body.size()), "answer");
  });
}

bool GuardedServer::Enter(const std::string& address) {
  std::lock_guard lock(mutex_);
  int& n = open_[address];
  if (n >= limits_.perAddress) return false;
  ++n;
  return true;
}

void GuardedServer::Leave(const std::string& address) {
  std::lock_guard lock(mutex_);
  if (--open_[address] <= 0) open_.erase(address);
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  std::string address;
  int port = 0;
  AddressOf(sock, true, address, port);
  if (!Enter(address)) {
    const std::string body = Refusal("NG", Sj("接続が多すぎます")).Body();
    const std::string answer =
        "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=Shift_JIS\r\n"
        "Content-Length: " +
        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    send(sock, answer.data(), answer.size(), MSG_NOSIGNAL);
    LogRequest("-", "CONNECT", address, "NG too many connections from this address");
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return false;
  }
  DeadlineStream stream(sock, std::chrono::seconds(read_timeout_sec_) +
                                  std::chrono::microseconds(read_timeout_usec_));
  current = &stream;
  bool ok = true;
  for (std::size_t left = keep_alive_max_count_; ok && left > 0; --left) {
    if (!NextRequestComes(sock, keep_alive_timeout_sec_, svr_sock_)) break;
    stream.SetDeadline(DeadlineFor(limits_.headerSeconds, 0), "request line and headers");
    bool closed = false;
    ok = process_request(stream, left == 1, closed, nullptr) && !closed && !stream.expired();
  }
  if (const char* phase = stream.expired()) {
    LogRequest("-", "SLOW", address, std::string("NG closed: ") + phase + " too slow");
  }
  current = nullptr;
  shutdown(sock, SHUT_RDWR);
  close(sock);
  Leave(address);
  return ok;
}

}  // namespace sorami::site
