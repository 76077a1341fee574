#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/Codepage.h"
#include "platform/LineSocket.h"
#include "support/Dovecot.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

TEST(PlanConnection, TheSecurityBoxAndThePortDecideHowToConnect) {
  const ConnectPlan tls{SocketSecurity::kTls, StartTlsRule::kNever};
  const ConnectPlan plain{SocketSecurity::kPlain, StartTlsRule::kNever};
  const ConnectPlan starttls{SocketSecurity::kPlain, StartTlsRule::kRequired};
  const ConnectPlan offered{SocketSecurity::kPlain, StartTlsRule::kIfOffered};
  // "自動" goes by the port.
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 995), tls);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 465), tls);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 587), starttls);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 110), offered);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 25), offered);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 11110), offered);
  // The other choices hold whatever the port.
  for (int port : {110, 995, 587, 25}) {
    EXPECT_EQ(PlanConnection(MailSecurity::kNone, port), plain) << port;
    EXPECT_EQ(PlanConnection(MailSecurity::kStartTls, port), starttls) << port;
    EXPECT_EQ(PlanConnection(MailSecurity::kTls, port), tls) << port;
  }
}

TEST(PlanConnection, ThePersistedIndexIsTheBoxOrderAndOutOfRangeIsAuto) {
  EXPECT_EQ(MailSecurityFromIndex(0), MailSecurity::kAuto);
  EXPECT_EQ(MailSecurityFromIndex(1), MailSecurity::kNone);
  EXPECT_EQ(MailSecurityFromIndex(2), MailSecurity::kStartTls);
  EXPECT_EQ(MailSecurityFromIndex(3), MailSecurity::kTls);
  EXPECT_EQ(MailSecurityFromIndex(4), MailSecurity::kAuto);
  EXPECT_EQ(MailSecurityFromIndex(-1), MailSecurity::kAuto);
}

// The Qt socket against Dovecot's POP3S port, whose certificate no authority signed.
class ExtraCaFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("platform_tests"), nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  void SetUp() override {
    if (!test::Dovecot::Installed()) GTEST_SKIP() << "dovecot-pop3d is not installed";
    ASSERT_TRUE(server_.running()) << server_.why_not();
  }
  bool ConnectTls() {
    return socket_->Connect("127.0.0.1", server_.pop3s_port(), SocketSecurity::kTls, error_);
  }

  test::Dovecot server_{true};
  std::unique_ptr<LineSocket> socket_ = MakeQtLineSocket({5000, 5000});
  std::string line_, error_;
};

TEST_F(ExtraCaFileTest, ASelfSignedServerIsRefusedUntilItsCertificateIsTrusted) {
  EXPECT_FALSE(ConnectTls());
  EXPECT_TRUE(error_.starts_with("サーバーの証明書を信頼できません"_cp932)) << Cp932ToUtf8(error_);

  ASSERT_TRUE(socket_->SetExtraCaFile(server_.ca_file().string(), error_)) << error_;
  ASSERT_TRUE(ConnectTls()) << Cp932ToUtf8(error_);
  ASSERT_TRUE(socket_->ReadLine(line_, error_)) << Cp932ToUtf8(error_);
  EXPECT_TRUE(line_.starts_with("+OK")) << line_;

  // Back to the system's authorities alone.
  ASSERT_TRUE(socket_->SetExtraCaFile("", error_));
  EXPECT_FALSE(ConnectTls());
}

TEST(ExtraCaFile, AFileWithoutCertificatesIsRefusedWithAText) {
  test::ScratchDir dir;
  test::WriteFileBytes(dir / "empty.pem", "not a certificate\n");
  std::unique_ptr<LineSocket> socket = MakeQtLineSocket();
  std::string error;
  EXPECT_FALSE(socket->SetExtraCaFile((dir / "empty.pem").string(), error));
  EXPECT_TRUE(error.starts_with("証明書ファイルを読めません"_cp932)) << Cp932ToUtf8(error);
  EXPECT_FALSE(socket->SetExtraCaFile((dir / "missing.pem").string(), error));
  EXPECT_TRUE(socket->SetExtraCaFile("", error));
}

}  // namespace
}  // namespace sorami
