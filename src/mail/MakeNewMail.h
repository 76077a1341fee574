// One retrieved mail into the message store: parsed, its texts fixed, its attachments saved
// under unique names in the attachment directory, a line in Recv.log, and a record of
// category "メール" in the inbox.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "base/DiagLog.h"
#include "mail/mime/VexPop.h"
#include "store/MastStore.h"
#include "store/Originals.h"

namespace sorami {

// Where received mail goes.
struct MailDrop {
  TArMastd& store;
  DiagLog& log;
  std::filesystem::path data_dir;    // Recv.log
  std::filesystem::path attach_dir;  // ATTACH
  DecodeEvents* events = nullptr;    // long attachments let the windows repaint
  // Where each mail's bytes are kept as received; none: they are not kept.
  const Originals* originals = nullptr;
  // A mail the store holds already (the store's duplicate rule on date, sender, recipient,
  // title and body) is not stored again: for mail that comes without a mailbox's ids.
  bool skip_duplicates = false;
};

struct NewMail {
  bool stored = false;     // a record was added
  bool damaged = false;    // the mail could not be read whole; stored with what was read
  std::string message_id;  // as the mail gives it
  std::string failure;     // why nothing was stored: a file could not be written
  bool duplicate = false;  // skipped: the store holds this mail already
};

// Reads a retrieved message (lines ended by CR LF) as the receive stores it: parsed with
// the receive's text fixes, attachments not saved yet. The CharSet is "ISO-2022-JP".
void ReadRetrievedMail(TVexPOP& parser, TVexMsg& msg, std::string raw, DiagLog* log);

// The attachments worth a file: neither the HTML rendering of the body nor a ".htm" or
// ".html" file.
bool IsSavedAttachment(const TAttachedFile& item);

// Stores message `number`. When `already` says the mail's Message-Id was stored before,
// nothing is stored. A mail counts as stored only when its record, every attachment file and
// its original (when originals are kept) were written: when a file cannot be written, the
// files already written for it are removed, no record is added and `failure` says why. A mail that
// cannot be read whole is still stored with what could be read.
NewMail MakeNewMail(MailDrop& drop, int number, std::string raw,
                    const std::function<bool(const std::string& message_id)>& already = {});

}  // namespace sorami
