// The connection the POP3, IMAP and SMTP dialogues speak over: lines (and counted blocks) in,
// bytes out, one call at a time, blocking the caller while the user interface keeps running.
//
// Bytes pass unchanged both ways: no code conversion, no line-end conversion. Every call that
// waits has a time-out, and a connection the server closed is a failure with an error text,
// never an empty line that looks like an answer. Error texts are code page 932, like all
// system text, and say which failure it was: the server refused the connection, its
// certificate is not trusted, a time-out.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace sorami {

enum class SocketSecurity {
  kPlain,  // plain TCP; StartTls() may upgrade it after the dialogue's STARTTLS / STLS
  kTls,    // TLS from the first byte (POP3S, SMTPS)
};

// The connection-security box of a mail server: "自動", "なし", "STARTTLS", "SSL/TLS", in
// box order (the persisted index).
enum class MailSecurity { kAuto = 0, kNone = 1, kStartTls = 2, kTls = 3 };

// The box index as persisted; anything out of range is "自動".
inline MailSecurity MailSecurityFromIndex(long index) {
  return index >= 0 && index <= 3 ? static_cast<MailSecurity>(index) : MailSecurity::kAuto;
}

// When a plain connection turns to TLS through the dialogue's STLS / STARTTLS.
enum class StartTlsRule {
  kNever,      // stay plain
  kIfOffered,  // when the server's capabilities name it
  kRequired,   // always; a server that does not take it ends the dialogue
};

// How to connect to a mail server.
struct ConnectPlan {
  SocketSecurity socket = SocketSecurity::kPlain;
  StartTlsRule start_tls = StartTlsRule::kNever;
  bool operator==(const ConnectPlan&) const = default;
};

// The security box and the port as a way to connect. "自動": 995, 993 and 465 are TLS from
// the first byte, 587 requires STARTTLS, any other port takes STARTTLS when the server offers it.
// "なし": plain; "STARTTLS": required; "SSL/TLS": TLS from the first byte.
inline ConnectPlan PlanConnection(MailSecurity choice, int port) {
  switch (choice) {
    case MailSecurity::kNone:
      return {SocketSecurity::kPlain, StartTlsRule::kNever};
    case MailSecurity::kStartTls:
      return {SocketSecurity::kPlain, StartTlsRule::kRequired};
    case MailSecurity::kTls:
      return {SocketSecurity::kTls, StartTlsRule::kNever};
    case MailSecurity::kAuto:
      break;
  }
  if (port == 995 || port == 993 || port == 465)
    return {SocketSecurity::kTls, StartTlsRule::kNever};
  if (port == 587) return {SocketSecurity::kPlain, StartTlsRule::kRequired};
  return {SocketSecurity::kPlain, StartTlsRule::kIfOffered};
}

// A mailbox on a receive server (POP3 or IMAP) and how to reach it.
struct MailboxLogin {
  std::string host;
  int port = 110;
  MailSecurity security = MailSecurity::kAuto;
  std::string user;
  std::string password;
  std::string ca_file;  // trusted besides the system's authorities; empty: none
};

struct LineSocketTimeouts {
  int connect_ms = 15000;  // to connect, and for each TLS negotiation
  int reply_ms = 60000;    // without any data arriving (or leaving, while writing)
};

class LineSocket {
 public:
  // The longest line ReadLine() returns: a peer that sends more without a line end is
  // broken or hostile, and the connection is closed instead of holding its bytes.
  static constexpr size_t kMaxLineBytes = size_t{1} << 20;

  virtual ~LineSocket() = default;

  virtual void SetTimeouts(LineSocketTimeouts timeouts) = 0;

  // From now on every wait also ends `ms` milliseconds after this call, however steadily
  // bytes trickle in (the time a whole mail may take); 0 lifts the deadline.
  virtual void SetDeadline(int ms) = 0;

  // Certificates (PEM) trusted besides the system's authorities, for the next connections;
  // an empty path trusts the system's alone. False, with a text, when the file holds no
  // certificate that can be read.
  virtual bool SetExtraCaFile(const std::string& path, std::string& error) = 0;

  // Opens the connection (closing any earlier one). TLS certificates are checked against
  // the system's trust store and the host name; a certificate error fails the connection.
  virtual bool Connect(const std::string& host, int port, SocketSecurity security,
                       std::string& error) = 0;

  // Upgrades a plain connection to TLS, after the server accepted STARTTLS. Fails, closing
  // the connection, if the server already sent more than the line that accepted it.
  virtual bool StartTls(std::string& error) = 0;

  // One line without its line end: CR LF, or a lone LF, ends a line; a CR elsewhere stays.
  // A line longer than kMaxLineBytes fails and closes the connection.
  virtual bool ReadLine(std::string& line, std::string& error) = 0;

  // Appends exactly `count` bytes to `bytes`, whatever they hold (a counted block of a
  // reply, such as an IMAP literal); the caller bounds the count. Fails, like ReadLine, when
  // the connection ends or times out first.
  virtual bool ReadBytes(size_t count, std::string& bytes, std::string& error) = 0;

  // Sends exactly these bytes, and returns once they have left.
  virtual bool Write(std::string_view bytes, std::string& error) = 0;

  // The line and CR LF, sent as one write.
  bool WriteLine(std::string_view line, std::string& error) {
    std::string bytes;
    bytes.reserve(line.size() + 2);
    bytes.append(line).append("\r\n");
    return Write(bytes, error);
  }

  virtual void Close() = 0;
};

// QSslSocket, waiting in a local event loop so windows repaint and timers tick.
std::unique_ptr<LineSocket> MakeQtLineSocket(LineSocketTimeouts timeouts = {});

}  // namespace sorami
