#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/LineSocket.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

TEST(PlanConnection, TheSecurityBoxAndThePortDecideHowToConnect) {
  const ConnectPlan tls{SocketSecurity::kTls, StartTlsRule::kNever};
  const ConnectPlan plain{SocketSecurity::kPlain, StartTlsRule::kNever};
  const ConnectPlan starttls{SocketSecurity::kPlain, StartTlsRule::kRequired};
  const ConnectPlan offered{SocketSecurity::kPlain, StartTlsRule::kIfOffered};
  // "自動" goes by the port; the other choices hold whatever the port.
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 995), tls);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 465), tls);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 587), starttls);
  EXPECT_EQ(PlanConnection(MailSecurity::kAuto, 110), offered);
  EXPECT_EQ(PlanConnection(MailSecurity::kNone, 995), plain);
  EXPECT_EQ(PlanConnection(MailSecurity::kStartTls, 25), starttls);
  EXPECT_EQ(PlanConnection(MailSecurity::kTls, 110), tls);
  // The persisted index is the box order; out of range is "自動".
  EXPECT_EQ(MailSecurityFromIndex(1), MailSecurity::kNone);
  EXPECT_EQ(MailSecurityFromIndex(3), MailSecurity::kTls);
  EXPECT_EQ(MailSecurityFromIndex(4), MailSecurity::kAuto);
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
