// The receive of Internet mail from one POP3 mailbox, or from folders of an IMAP mailbox,
// into the message store: log in, count, retrieve each mail not stored before, store it in
// the inbox, save the store, delete from the server what is safely stored (unless mail is
// left there), log out.
//
// A mail is deleted from the server only after the store holding it was saved, and only when
// it was stored by this receive or is proven stored by an earlier one: by the server's id
// when no other message shares it, else by the mail's exact bytes. A mail whose retrieval
// broke, and every mail after it, stays on the server; so does a mail whose record or
// attachment files could not be written, and the receive then fails ("ERROR(POP)") with the
// reason. With mail left on the server, what was stored before is recognised (see
// ReceivedIds) and not stored again.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/AccountLog.h"
#include "mail/MakeNewMail.h"
#include "mail/pop3/Pop3Client.h"
#include "store/MasterFile.h"

namespace sorami {

// How mail is read from the server (the mail page's "受信方式", in box order).
enum class MailProtocol { kPop3 = 0, kImap = 1 };

// The mail receive job: the mailbox, how it is read and whether its mail stays on the server.
struct PopConfig : Pop3Account {
  bool leave_on_server = false;
  MailProtocol protocol = MailProtocol::kPop3;
  // The IMAP folders read, separated by commas (code page 932).
  std::string folders = "INBOX";
};

// The status label of a receive that left mail on the server or could not read one whole:
// "ERROR(POP)", or "ERROR(IMAP)" for an IMAP mailbox.
inline const char* ReceiveErrorLabel(MailProtocol protocol) {
  return protocol == MailProtocol::kImap ? "ERROR(IMAP)" : "ERROR(POP)";
}

// What the receive shows while it runs.
class JushinEvents : public DecodeEvents, public Pop3Progress {
 public:
  // The receive's status label ("受信件数"): "接続中... ", " 3 件", "エラー" ...
  virtual void Label(const std::string& /*cp932*/) {}
  // Every few percent of the mailbox: message number of count.
  virtual void Progress(int /*number*/, int /*count*/) {}
};

// What lasts from one receive to the next in a run.
struct JushinSession {
  bool rireki_checked = false;  // RirekiCheckHost is logged once a run
  // Makes the connection of each receive; empty: the caller gives one.
  std::function<std::unique_ptr<LineSocket>()> make_socket;
  // The connection of the receive running now, and whether it was asked to stop.
  LineSocket* active = nullptr;
  bool cancelled = false;
};

// "中止": ends the running receive within moments, whatever the server does. Its connection
// is closed, so the server deletes nothing; what it stored so far is saved. Nothing happens
// when no receive runs.
void CancelMailJushin(JushinSession& session);

struct JushinPlace {
  MailDrop drop;        // the store, the log, Recv.log and the attachment directory
  MasterFiles& master;  // saved before anything is deleted from the server
  AccountLog* aclog = nullptr;
  JushinEvents* events = nullptr;
};

struct JushinOutcome {
  bool ok = false;
  bool refused = false;      // another receive was running; nothing was done
  bool parse_error = false;  // a mail could not be read whole ("ERROR(POP)")
  int count = 0;             // messages in the mailbox
  int stored = 0;            // new records
  int known = 0;             // mails stored by an earlier receive, skipped now
  int kept = 0;              // mails left on the server because they could not be stored
  int deleted = 0;           // messages the server deleted
  std::string label;         // the last text of the status label
  std::string status;        // why it failed; empty on success
};

// The whole receive, guarded so that only one runs at a time ("メール受信中").
JushinOutcome MailJushin(JushinSession& session, JushinPlace& place, const PopConfig& config,
                         LineSocket& socket);

}  // namespace sorami
