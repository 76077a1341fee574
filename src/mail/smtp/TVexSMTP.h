// The SMTP client: the dialogue with the user's mail server over a line socket. It connects
// (greeting, EHLO or HELO, STARTTLS, AUTH PLAIN or LOGIN), sends a message in one transaction
// to all its recipients (To, CC and Bcc alike in the envelope) and quits. It never waits on its
// own: the socket's calls wait (with their time-outs) while the user interface keeps running, and
// progress is reported through SmtpEvents every few percent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mime/VexMsg.h"
#include "platform/LineSocket.h"

namespace sorami {

// Told of the dialogue; every member is optional.
class SmtpEvents {
 public:
  virtual ~SmtpEvents() = default;
  virtual void OnConnect() {}
  virtual void OnQuit() {}
  virtual void OnError(int /*code*/, std::string_view /*text*/) {}
  virtual void OnBeforeSend() {}
  virtual void OnAfterSend() {}
  virtual void OnSendProgress(int /*percent*/) {}
  virtual void OnEncodeStart(std::string_view /*path*/, std::uintmax_t /*size*/) {}
  virtual void OnEncodeProgress(int /*percent*/) {}
  virtual void OnEncodeEnd() {}
};

// A recipient the server would not take, with its reply ("550 5.1.1 ...").
struct SmtpRefusal {
  std::string address;
  std::string reply;
};

// Where and how to connect, and who logs in.
struct SmtpServer {
  std::string host;
  int port = 25;
  ConnectPlan plan;
  // AUTH is used when a user is set and the server offers PLAIN or LOGIN; with a user the
  // greeting is answered with EHLO, without one with HELO (EHLO still when STARTTLS may be
  // needed, since only EHLO shows whether the server offers it).
  std::string user, password;
  std::string local_name;  // the name given in EHLO / HELO
};

class TVexSMTP {
 public:
  explicit TVexSMTP(LineSocket& socket, SmtpEvents* events = nullptr);
  ~TVexSMTP();

  // The most lines and bytes one reply may take (an EHLO answer is a few dozen lines).
  static constexpr size_t kMaxReplyLines = 200;
  static constexpr size_t kMaxReplyBytes = 64 * 1024;

  std::string MailerName = "Sorami Mail Ver1.00";
  int SendProgressStep = 5;
  int EncodeProgressStep = 5;

  // Opens the connection and logs in. False on any failure (error() set, connection
  // closed, failure() says why).
  bool Connect(const SmtpServer& server);

  // Dates msg now, gives it a Message-Id (unless it has one) and sends its text in one
  // transaction to the To, CC and Bcc addresses (each address once). A recipient the server
  // refuses is noted in refused() and the others still get the message; true when the server
  // took it for at least one recipient, false on any other failure.
  bool SendMessage(TVexMsg& msg);
  // The transaction alone, for a message text already built (lines ended by CR LF): the
  // recipients of all lists in one envelope.
  bool SendText(std::string_view sender, const std::vector<std::vector<std::string>>& lists,
                std::string_view text);
  // The recipients of the last send that the server took, and those it refused.
  const std::vector<std::string>& accepted() const { return accepted_; }
  const std::vector<SmtpRefusal>& refused() const { return refused_; }

  // QUIT when connected, then closes the connection.
  void Quit();

  bool connected() const { return connected_; }
  bool error() const { return error_; }
  const std::string& ReplyCode() const { return reply_code_; }
  const std::string& ReplyText() const { return reply_text_; }
  // Why the last step failed, for the user (code page 932).
  const std::string& failure() const { return failure_; }

 private:
  bool ReadReply();
  bool Command(std::string_view line, std::string_view expect);
  bool Greet(const SmtpServer& server);
  bool Hello(const SmtpServer& server, bool extended);
  bool Login(const SmtpServer& server);
  bool Recipients(const std::vector<std::string>& rcpts);
  bool Transmit(std::string_view text);
  bool Fail(std::string text);
  bool Refused(std::string_view what);
  bool Offers(std::string_view keyword) const;

  LineSocket& socket_;
  std::string local_name_;
  SmtpEvents* events_;
  bool connected_ = false, error_ = false;
  std::string reply_code_, reply_text_, failure_;
  std::vector<std::string> reply_lines_;   // the text of each line of the last reply
  std::vector<std::string> capabilities_;  // EHLO's lines after the first, upper-cased
  std::vector<std::string> accepted_;
  std::vector<SmtpRefusal> refused_;
};

}  // namespace sorami
