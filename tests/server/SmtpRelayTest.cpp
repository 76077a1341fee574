// SENDSMTP: the service relays a member's mail to its SMTP relay.
#include <gtest/gtest.h>
#include <sodium.h>

#include "SmtpSink.h"
#include "World.h"

namespace sorami::sitetest {
namespace {

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
  void SetUp() override {
    sink->refuseRecipients = false;
    sink->dropConnections = false;
  }
  static Fields SmtpFields(const std::string& to, const std::string& cc, const std::string& bcc) {
    Fields f =
        SendFields(kHanako, world->address(), {to, cc, bcc, "件名テスト", "本文\r\n二行目", ""});
    for (auto& [name, value] : f) {
      if (name == "COMMAND") value = "SENDSMTP";
      if (name == "TOLIST" || name == "TONAME") value = to;
      if (name == "CC" || name == "BCC") value = name == "CC" ? cc : bcc;
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

std::string HeaderValue(const std::string& data, const std::string& name) {
  std::size_t p = data.find("\r\n" + name + ": ");
  if (data.rfind(name + ": ", 0) == 0)
    p = 0;
  else if (p != std::string::npos)
    p += 2;
  else
    return "";
  p += name.size() + 2;
  return data.substr(p, data.find("\r\n", p) - p);
}

std::string FromBase64(const std::string& text) {
  std::string out(text.size(), '\0');
  std::size_t len = 0;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), out.size(), text.c_str(),
                        text.size(), " \r\n", &len, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
    return "<bad base64>";
  }
  out.resize(len);
  return out;
}

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
  EXPECT_EQ(HeaderValue(m.data, "To"), "a@example.jp, b@example.jp");
  EXPECT_EQ(HeaderValue(m.data, "Cc"), "c@example.jp");
  EXPECT_EQ(HeaderValue(m.data, "Bcc"), "");
  EXPECT_EQ(m.data.find("d@example.jp"), std::string::npos);  // Bcc stays out of the header
  std::string subject = HeaderValue(m.data, "Subject");
  ASSERT_TRUE(subject.starts_with("=?Shift_JIS?B?") && subject.ends_with("?=")) << subject;
  EXPECT_EQ(FromBase64(subject.substr(14, subject.size() - 16)), Sj("件名テスト"));
  std::string body = m.data.substr(m.data.find("\r\n\r\n") + 4);
  EXPECT_EQ(FromBase64(body), Sj("本文\r\n二行目"));
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
  std::size_t before = sink->mails().size();
  for (const Fields& f : {SmtpFields("a@example.jp\r\nBcc: x@evil.example", "", ""),
                          SmtpFields("not-an-address", "", ""), SmtpFields("", "", "")}) {
    EXPECT_FALSE(world->Message(f).ok);
  }
  Fields stranger = SmtpFields("a@example.jp", "", "");
  for (auto& [name, value] : stranger) {
    if (name == "USERPASS") value = "wrong";
  }
  EXPECT_FALSE(world->Message(stranger).ok);
  EXPECT_EQ(sink->mails().size(), before);
}

}  // namespace
}  // namespace sorami::sitetest
