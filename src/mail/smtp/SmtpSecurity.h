// How a mail connection is protected: the choice of the settings' security box ("自動",
// "なし", "STARTTLS", "SSL/TLS", in the box's order) and what it means for a port.
#pragma once

#include "platform/LineSocket.h"

namespace sorami {

enum class MailSecurity { kAuto = 0, kNone = 1, kStartTls = 2, kTls = 3 };

enum class StartTlsUse {
  kNever,      // stay plain
  kIfOffered,  // upgrade when the server offers it, else stay plain
  kRequired,   // upgrade, or give up when the server does not offer it
};

struct SmtpConnectPlan {
  SocketSecurity socket = SocketSecurity::kPlain;
  StartTlsUse starttls = StartTlsUse::kNever;
};

// "自動" chooses from the port: 465 implicit TLS, 587 STARTTLS required, any other STARTTLS
// when the server offers it.
inline SmtpConnectPlan PlanSmtpConnection(MailSecurity choice, int port) {
  switch (choice) {
    case MailSecurity::kNone:
      return {SocketSecurity::kPlain, StartTlsUse::kNever};
    case MailSecurity::kStartTls:
      return {SocketSecurity::kPlain, StartTlsUse::kRequired};
    case MailSecurity::kTls:
      return {SocketSecurity::kTls, StartTlsUse::kNever};
    case MailSecurity::kAuto:
      break;
  }
  if (port == 465) return {SocketSecurity::kTls, StartTlsUse::kNever};
  if (port == 587) return {SocketSecurity::kPlain, StartTlsUse::kRequired};
  return {SocketSecurity::kPlain, StartTlsUse::kIfOffered};
}

}  // namespace sorami
