#include "SmtpSink.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace sorami::sitetest {

SmtpSink::SmtpSink() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(listener_, 4) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    throw std::runtime_error("smtp sink cannot listen");
  }
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

SmtpSink::~SmtpSink() {
  stop_ = true;
  thread_.join();
  close(listener_);
}

std::vector<ReceivedMail> SmtpSink::mails() {
  std::lock_guard lock(mutex_);
  return mails_;
}

void SmtpSink::Serve() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    int fd = accept(listener_, nullptr, nullptr);
    if (fd < 0) continue;
    if (!dropConnections) Session(fd);
    close(fd);
  }
}

void SmtpSink::Session(int fd) {
  std::string buffer;
  auto say = [fd](const std::string& s) { return send(fd, s.data(), s.size(), MSG_NOSIGNAL) > 0; };
  auto line = [&](std::string& out) {
    for (;;) {
      std::size_t nl = buffer.find("\r\n");
      if (nl != std::string::npos) {
        out = buffer.substr(0, nl);
        buffer.erase(0, nl + 2);
        return true;
      }
      pollfd p{fd, POLLIN, 0};
      char chunk[4096];
      ssize_t n = poll(&p, 1, 5000) > 0 ? recv(fd, chunk, sizeof chunk, 0) : 0;
      if (n <= 0) return false;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
  };
  ReceivedMail mail;
  std::string l;
  say("220 sink ESMTP\r\n");
  while (line(l)) {
    std::string verb = l.substr(0, 4);
    if (verb == "EHLO" || verb == "HELO") {
      say("250-sink\r\n250 8BITMIME\r\n");
    } else if (verb == "MAIL") {
      mail = ReceivedMail{l.substr(l.find('<') + 1, l.rfind('>') - l.find('<') - 1), {}, {}};
      say("250 ok\r\n");
    } else if (verb == "RCPT") {
      if (refuseRecipients) {
        say("550 5.1.1 no such user here\r\n");
        continue;
      }
      mail.to.push_back(l.substr(l.find('<') + 1, l.rfind('>') - l.find('<') - 1));
      say("250 ok\r\n");
    } else if (verb == "DATA") {
      say("354 go ahead\r\n");
      std::string d;
      while (line(d) && d != ".") mail.data += (d.starts_with(".") ? d.substr(1) : d) + "\r\n";
      {
        std::lock_guard lock(mutex_);
        mails_.push_back(mail);
      }
      say("250 queued\r\n");
    } else if (verb == "QUIT") {
      say("221 bye\r\n");
      return;
    } else {
      say("502 unknown\r\n");
    }
  }
}

}  // namespace sorami::sitetest
