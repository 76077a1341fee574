// The connection the POP3 and SMTP dialogues speak over: lines in, bytes out, one call at a
// time, blocking the caller while the user interface keeps running.
//
// Bytes pass unchanged both ways: no code conversion, no line-end conversion. Every call that
// waits has a time-out, and a connection the server closed is a failure with an error text,
// never an empty line that looks like an answer. Error texts are code page 932, like all
// system text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace sorami {

enum class SocketSecurity {
  kPlain,  // plain TCP; StartTls() may upgrade it after the dialogue's STARTTLS / STLS
  kTls,    // TLS from the first byte (POP3S, SMTPS)
};

struct LineSocketTimeouts {
  int connect_ms = 15000;  // to connect, and for each TLS negotiation
  int reply_ms = 60000;    // without any data arriving (or leaving, while writing)
};

class LineSocket {
 public:
  virtual ~LineSocket() = default;

  virtual void SetTimeouts(LineSocketTimeouts timeouts) = 0;

  // Opens the connection (closing any earlier one). TLS certificates are checked against
  // the system's trust store and the host name; a certificate error fails the connection.
  virtual bool Connect(const std::string& host, int port, SocketSecurity security,
                       std::string& error) = 0;

  // Upgrades a plain connection to TLS, after the server accepted STARTTLS. Fails, closing
  // the connection, if the server already sent more than the line that accepted it.
  virtual bool StartTls(std::string& error) = 0;

  // One line without its line end: CR LF, or a lone LF, ends a line; a CR elsewhere stays.
  virtual bool ReadLine(std::string& line, std::string& error) = 0;

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
