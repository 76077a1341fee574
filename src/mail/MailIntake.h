// What every receive (POP3 or IMAP) does with the mails it retrieved: each one through
// MakeNewMail into the inbox, counted in the outcome, the status label kept, the store saved
// and then the received ids, before anything is deleted from the server.
#pragma once

#include <functional>
#include <string>

#include "mail/MailJushin.h"
#include "mail/ReceivedIds.h"
#include "platform/Codepage.h"

namespace sorami {

class MailIntake {
 public:
  enum class Result {
    kStored,  // a new record
    kKnown,   // its Message-Id says it was stored before; nothing stored
    kKept,    // it could not be stored and stays on the server
    kStop,    // storing failed so badly that this mail and those after it stay on the server
  };

  MailIntake(JushinSession& session, JushinPlace& place, JushinOutcome& out)
      : session_(session), place_(place), out_(out), log_(place.drop.log) {}

  // The start every receive logs: false (with the label and status set) without a host.
  bool Begin(const PopConfig& config);
  // Begins the receive and opens the client's connection (POP3 or IMAP): false, with the label
  // and status set, without a host or when the server cannot be reached.
  template <class Client>
  bool Connect(const PopConfig& config, Client& client) {
    if (!Begin(config)) return false;
    std::string error;
    if (!client.Open(config, error)) {
      log_.Log(" ERROR gethost " + error);
      client.Close();
      return Fail("ホスト・エラー"_cp932, error);
    }
    log_.Log("Connect OK");
    return true;
  }
  // The mailbox holds `count` mails: the label and the history lines.
  void Found(const std::string& mailbox, int count);
  // Message n of count, for the progress bar now and then; lets windows repaint.
  void Tick(int n, int count);

  // Stores retrieved mail number n. `earlier` tells whether a Message-Id was stored by an
  // earlier receive that kept no better id.
  Result Store(int n, std::string raw,
               const std::function<bool(const std::string& message_id)>& earlier = {});
  // Message n stays on the server: it could not be stored.
  void Keep(int n, const std::string& why);
  // Saves the store when something was stored, then the ids; false when the store could not
  // be saved (nothing may be deleted then).
  bool Save(const ReceivedIds& ids);

  void Label(const std::string& text);
  // Ends the receive as failed: the label, and why.
  bool Fail(const std::string& label, const std::string& why);

 private:
  JushinSession& session_;
  JushinPlace& place_;
  JushinOutcome& out_;
  DiagLog& log_;
  int shown_ = 0;
};

// The IMAP receive (the POP3 one lives beside MailJushin).
JushinOutcome ImapJushin(JushinSession& session, JushinPlace& place, const PopConfig& config,
                         LineSocket& socket);

}  // namespace sorami
