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
  std::string from;
  std::vector<std::string> to;
  std::string data;  // as transmitted, dot-stuffing undone, without the final "."
};

class SmtpSink {
 public:
  SmtpSink() {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
      throw std::runtime_error("smtp sink cannot listen");
    }
    address_ = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    thread_ = std::thread([this] {
      for (int fd; (fd = accept(listener_, nullptr, nullptr)) >= 0; close(fd)) {
        if (!dropConnections) Session(fd);
      }
    });
  }
  ~SmtpSink() {
    shutdown(listener_, SHUT_RDWR);  // ends the accept
    thread_.join();
    close(listener_);
  }
  const std::string& address() const { return address_; }
  std::vector<ReceivedMail> mails() {
    std::lock_guard lock(mutex_);
    return mails_;
  }
  std::atomic<bool> refuseRecipients{false}, dropConnections{false};

 private:
  void Session(int fd) {
    const timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string buffer, l;
    auto say = [fd](const std::string& s) { send(fd, s.data(), s.size(), MSG_NOSIGNAL); };
    auto line = [&](std::string& out) {
      std::size_t nl;
      while ((nl = buffer.find("\r\n")) == std::string::npos) {
        char chunk[4096];
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
      }
      out = buffer.substr(0, nl);
      buffer.erase(0, nl + 2);
      return true;
    };
    auto path = [&] { return l.substr(l.find('<') + 1, l.rfind('>') - l.find('<') - 1); };
    ReceivedMail mail;
    say("220 sink ESMTP\r\n");
    while (line(l)) {
      const std::string verb = l.substr(0, 4);
      if (verb == "EHLO" || verb == "HELO") {
        say("250-sink\r\n250 8BITMIME\r\n");
      } else if (verb == "MAIL") {
        mail = ReceivedMail{path(), {}, {}};
        say("250 ok\r\n");
      } else if (verb == "RCPT") {
        if (!refuseRecipients) mail.to.push_back(path());
        say(refuseRecipients ? "550 5.1.1 no such user here\r\n" : "250 ok\r\n");
      } else if (verb == "DATA") {
        say("354 go ahead\r\n");
        for (std::string d; line(d) && d != ".";) {
          mail.data += d.substr(d.starts_with(".") ? 1 : 0) + "\r\n";
        }
        std::lock_guard lock(mutex_);
        mails_.push_back(mail);
        say("250 queued\r\n");
      } else if (verb == "QUIT") {
        return say("221 bye\r\n");
      } else {
        say("502 unknown\r\n");
      }
    }
  }

  int listener_ = socket(AF_INET, SOCK_STREAM, 0);
  std::string address_;
  std::mutex mutex_;
  std::vector<ReceivedMail> mails_;
  std::thread thread_;
};

class SmtpRelay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sink = new SmtpSink();
    world = new World({"--smtp-relay", sink->address()});
  }
  static void TearDownTestSuite() {
    delete world;
    delete sink;
  }
  void SetUp() override { sink->refuseRecipients = sink->dropConnections = false; }
  static Fields SmtpFields(const std::string& to, const std::string& cc, const std::string& bcc) {
    Fields f =
        SendFields(kHanako, world->address(), {to, cc, bcc, "件名テスト", "本文\r\n二行目", ""});
    for (auto& [name, value] : f) {
      if (name == "COMMAND") value = "SENDSMTP";
      if (name == "TOLIST" || name == "TONAME") value = to;
    }
    f.insert(f.end(), {{"SMTPHOST", "mail.example.jp"},
                       {"SMTPUSER", "hanako"},
                       {"SMTPFROM", "hanako@example.jp"},
                       {"SMTPNAME", Sj("はなこ")},
                       {"SMTPID", Sj("はなこ")}});
    return f;
  }
  static SmtpSink* sink;
  static World* world;
};
SmtpSink* SmtpRelay::sink = nullptr;
World* SmtpRelay::world = nullptr;

TEST_F(SmtpRelay, RelaysTheMailWithItsTextUnchanged) {
  Reply r =
      world->Message(SmtpFields("a@example.jp, B <b@example.jp>", "c@example.jp", "d@example.jp"));
  // The client splits a SENDSMTP answer at "OK(PGM)" and looks for "送信完了" after it.
  std::size_t ok = r.body.find("OK(PGM)");
  ASSERT_NE(ok, std::string::npos) << Utf(r.body);
  EXPECT_EQ(Utf(r.body.substr(ok + 7)), "送信完了");

  std::vector<ReceivedMail> mails = sink->mails();
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
}

TEST_F(SmtpRelay, AFailedRelayIsNeverReportedAsSent) {
  sink->refuseRecipients = true;
  Reply refused = world->Message(SmtpFields("a@example.jp", "", ""));
  EXPECT_EQ(refused.body.find("OK(PGM)"), std::string::npos);
  EXPECT_EQ(Utf(refused.body).find("送信完了"), std::string::npos);
  EXPECT_NE(refused.status.find("550"), std::string::npos) << Utf(refused.status);

  sink->refuseRecipients = false;
  sink->dropConnections = true;
  Reply dropped = world->Message(SmtpFields("a@example.jp", "", ""));
  EXPECT_FALSE(dropped.ok);
  EXPECT_EQ(Utf(dropped.body).find("送信完了"), std::string::npos);
}

TEST_F(SmtpRelay, RefusesBadAddressesAndStrangers) {
  const std::size_t before = sink->mails().size();
  Fields stranger = SmtpFields("a@example.jp", "", "");
  stranger[18].second = "wrong";  // USERPASS
  for (const Fields& f : {SmtpFields("a@example.jp\r\nBcc: x@evil.example", "", ""),
                          SmtpFields("not-an-address", "", ""), SmtpFields("", "", ""), stranger}) {
    EXPECT_FALSE(world->Message(f).ok);
  }
  EXPECT_EQ(sink->mails().size(), before);
}

}  // namespace
}  // namespace sorami::sitetest
