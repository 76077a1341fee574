// SENDSMTP: the service relays a member's mail to its SMTP relay, here a small SMTP server on a
// loopback port that keeps what it receives and can refuse recipients or drop connections.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "World.h"

namespace sorami::sitetest {
namespace {

struct ReceivedMail {
  std::string from, data;  // data as transmitted, dot-stuffing undone, without the final "."
  std::vector<std::string> to;
};

class SmtpSink {
 public:
  enum Fail { kNone, kRefuse, kDrop };
  SmtpSink() {
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    bind(listener_, reinterpret_cast<sockaddr*>(&a), len);
    listen(listener_, 4);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    address = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    thread_ = std::thread([this] {
      for (int fd; (fd = accept(listener_, nullptr, nullptr)) >= 0; close(fd)) {
        if (fail != kDrop) Session(fd);
      }
    });
  }
  ~SmtpSink() {
    shutdown(listener_, SHUT_RDWR);  // ends the accept
    thread_.join();
    close(listener_);
  }
  std::vector<ReceivedMail> mails() {
    std::lock_guard lock(mutex_);
    return mails_;
  }
  std::string address;
  std::atomic<Fail> fail{kNone};

 private:
  void Session(int fd) {
    const timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string buffer, l;
    auto say = [fd](const std::string& s) { send(fd, s.data(), s.size(), MSG_NOSIGNAL); };
    auto line = [&](std::string& out) {
      std::size_t nl;
      char chunk[4096];
      for (ssize_t n; (nl = buffer.find("\r\n")) == std::string::npos; buffer.append(chunk, n)) {
        if ((n = recv(fd, chunk, sizeof chunk, 0)) <= 0) return false;
      }
      out = buffer.substr(0, nl);
      buffer.erase(0, nl + 2);
      return true;
    };
    auto path = [&] { return l.substr(l.find('<') + 1, l.rfind('>') - l.find('<') - 1); };
    ReceivedMail mail;
    for (say("220 sink ESMTP\r\n"); line(l);) {
      const std::string verb = l.substr(0, 4);
      if (verb == "MAIL") {
        mail = ReceivedMail{path(), {}, {}};
      } else if (verb == "RCPT" && fail == kRefuse) {
        say("550 5.1.1 no such user here\r\n");
        continue;
      } else if (verb == "RCPT") {
        mail.to.push_back(path());
      } else if (verb == "DATA") {
        say("354 go ahead\r\n");
        for (std::string d; line(d) && d != ".";)
          mail.data += d.substr(d.starts_with(".")) + "\r\n";
        std::lock_guard lock(mutex_);
        mails_.push_back(mail);
      }
      say(verb == "QUIT" ? "221 bye\r\n" : "250 ok\r\n");
    }
  }

  int listener_ = socket(AF_INET, SOCK_STREAM, 0);
  std::mutex mutex_;
  std::vector<ReceivedMail> mails_;
  std::thread thread_;
};

TEST(SmtpRelay, RelaysTheMailWithItsTextUnchangedAndNeverReportsAFailureAsSent) {
  SmtpSink sink;
  const World world({"--smtp-relay", sink.address});
  auto smtp = [&](const std::string& to, const std::string& cc, const std::string& bcc) {
    Fields f =
        SendFields(kHanako, world.address(), {to, cc, bcc, "件名テスト", "本文\r\n二行目", ""});
    f[2].second = "SENDSMTP";  // COMMAND
    f[3].second = to;          // TOLIST
    f.insert(f.end(), {{"SMTPHOST", "mail.example.jp"},
                       {"SMTPUSER", "hanako"},
                       {"SMTPFROM", "hanako@example.jp"},
                       {"SMTPNAME", Sj("はなこ")},
                       {"SMTPID", Sj("はなこ")}});
    return f;
  };
  Reply r = world.Message(smtp("a@example.jp, B <b@example.jp>", "c@example.jp", "d@example.jp"));
  // The client splits a SENDSMTP answer at "OK(PGM)" and looks for "送信完了" after it.
  std::size_t ok = r.body.find("OK(PGM)");
  ASSERT_NE(ok, std::string::npos) << Utf(r.body);
  EXPECT_EQ(Utf(r.body.substr(ok + 7)), "送信完了");
  std::vector<ReceivedMail> mails = sink.mails();
  ASSERT_EQ(mails.size(), 1u);
  const ReceivedMail& m = mails[0];
  EXPECT_EQ(m.from, "hanako@example.jp");
  EXPECT_EQ(m.to, (std::vector<std::string>{"a@example.jp", "b@example.jp", "c@example.jp",
                                            "d@example.jp"}));
  // The header names the To and Cc recipients only; the texts are code page 932 in base64
  // (はなこ, 件名テスト, and 本文 CR LF 二行目).
  const std::string head = "\r\n" + m.data.substr(0, m.data.find("\r\n\r\n") + 2);
  for (const char* line :
       {"From: =?Shift_JIS?B?gs2CyIKx?= <hanako@example.jp>", "To: a@example.jp, b@example.jp",
        "Cc: c@example.jp", "Subject: =?Shift_JIS?B?jI+WvINlg1iDZw==?=",
        "Content-Type: text/plain; charset=Shift_JIS", "Content-Transfer-Encoding: base64"}) {
    EXPECT_NE(head.find("\r\n" + std::string(line) + "\r\n"), std::string::npos) << line;
  }
  EXPECT_EQ(m.data.find("d@example.jp"), std::string::npos);
  EXPECT_TRUE(m.data.ends_with("\r\n\r\nlnuVtg0Kk/GNc5ba\r\n")) << m.data;

  Fields stranger = smtp("a@example.jp", "", "");
  stranger[18].second = "wrong";  // USERPASS
  for (const Fields& f : {smtp("a@example.jp\r\nBcc: x@evil.example", "", ""),
                          smtp("not-an-address", "", ""), smtp("", "", ""), stranger}) {
    EXPECT_FALSE(world.Message(f).ok);
  }
  EXPECT_EQ(sink.mails().size(), 1u);
  sink.fail = SmtpSink::kRefuse;
  Reply refused = world.Message(smtp("a@example.jp", "", ""));
  EXPECT_EQ(refused.body.find("OK(PGM)"), std::string::npos);
  EXPECT_EQ(Utf(refused.body).find("送信完了"), std::string::npos);
  EXPECT_NE(refused.status.find("550"), std::string::npos) << Utf(refused.status);
  sink.fail = SmtpSink::kDrop;
  Reply dropped = world.Message(smtp("a@example.jp", "", ""));
  EXPECT_FALSE(dropped.ok);
  EXPECT_EQ(Utf(dropped.body).find("送信完了"), std::string::npos);
}

}  // namespace
}  // namespace sorami::sitetest
