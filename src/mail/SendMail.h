// Sending a mail directly to the user's SMTP server: the compose window's values and the
// mail settings in, the SMTP dialogue, a line in Send.log, and a result text out.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/LineSocket.h"

namespace sorami {

class DiagLog;
class SmtpEvents;

// One outgoing mail as the compose window holds it, all code page 932.
struct OutgoingMail {
  std::string from_name;     // the mail page's "氏名"
  std::string from_address;  // the mail page's "アドレス"
  std::string reply_to;      // recipient texts as typed: addresses separated by "," or "、"
  std::string to, cc, bcc;
  std::string title;
  std::string body;                      // lines ended by CR LF or LF
  std::vector<std::string> attachments;  // full paths of the files to attach
};

// The server the mail leaves through.
struct SmtpConfig {
  std::string host;
  int port = 25;
  MailSecurity security = MailSecurity::kAuto;
  std::string user;  // empty: no login
  std::string password;
  std::string ca_file;  // a certificate file trusted besides the system's authorities
};

// What the send needs from its surroundings.
struct SendMailContext {
  DiagLog& log;
  std::filesystem::path data_dir;  // where Send.log is kept
  std::string local_host;          // the name in EHLO / HELO and in the Message-Id
  // A new connection for the config (its CA file set); null with an error text when there
  // can be none.
  std::function<std::unique_ptr<LineSocket>(const SmtpConfig&, std::string& error)> open_socket;
  SmtpEvents* events = nullptr;                         // progress; may be null
  std::function<void(const std::string&)> show_status;  // "メール送信実行中.... "; may be empty
  std::function<std::time_t()> clock;                   // the time of the Send.log line; empty: now
};

// Sends the mail in one transaction to all recipients (Bcc only in the envelope). A piece of
// To, CC, Bcc or Reply-To that is no mail address fails the send with "宛先エラー : " and the
// piece before any connection. True when the server took it for every recipient; result is
// then "送信完了 => " with the To text as typed and a blank (or "Cannot Write: " and the path
// of Send.log when the log could not be written). Also true when it took it for some only:
// result then begins "一部送信失敗 : " and names each refused recipient with the server's
// reply, and refused (when given) receives their addresses. False with the reason in result
// otherwise.
bool SendMail(const OutgoingMail& mail, const SmtpConfig& config, const SendMailContext& ctx,
              std::string& result, std::vector<std::string>* refused = nullptr);

// Appends "yyyy/mm/dd hh:nn:ss", TAB, the To addresses, TAB, the title, TAB, the sender to
// Send.log in the data directory (created when missing). False with "Cannot Write: " and
// the path in result when the file cannot be written.
bool SaveSoushinLog(const std::filesystem::path& data_dir, std::time_t when,
                    const std::string& send_to, const std::string& title, const std::string& from,
                    DiagLog& log, std::string& result);

// Notes the recipients of a sent mail in the diagnostic log.
void UpdateJuushoInfo(const std::string& to, DiagLog& log);

}  // namespace sorami
