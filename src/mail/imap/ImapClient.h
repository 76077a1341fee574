// The IMAP4rev1 dialogue over a line socket: the greeting, CAPABILITY, STARTTLS, the login
// (AUTHENTICATE PLAIN, or LOGIN when that is all the server offers), SELECT or EXAMINE, the
// UIDs and sizes of a folder's mails, their bodies by BODY.PEEK[] (nothing is marked seen),
// \Deleted on chosen UIDs, UID EXPUNGE (or a checked EXPUNGE) and LOGOUT. Mails arrive one
// by one as the server sends them, so memory follows the largest mail. Every failure ends
// the call with a code page 932 text; a connection that breaks is never taken for an answer.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mail/imap/ImapReader.h"
#include "platform/LineSocket.h"

namespace sorami {

// Why a call failed.
enum class ImapFailure {
  kNone,
  kConnect,   // the connection could not be opened (refused, time-out, certificate, TLS)
  kLogin,     // the server refused the user or the password
  kRefused,   // the server answered NO or BAD; the dialogue can go on
  kProtocol,  // the server's answer made no sense
  kBroken,    // the connection broke or timed out in the middle of the dialogue
};

// A folder as SELECT or EXAMINE found it.
struct ImapFolder {
  uint32_t uid_validity = 0;
  uint32_t exists = 0;
};

// A mail of the folder: its UID and its size as the server counts it.
struct ImapMessage {
  uint32_t uid = 0;
  size_t size = 0;
};

class ImapClient {
 public:
  // The largest mail retrieved; a larger one is left alone.
  static constexpr size_t kMaxMailBytes = size_t{256} << 20;
  // Time for a batch of mails: a base, plus a millisecond for every so many bytes of them.
  static constexpr int kMailBaseMs = 60000;
  static constexpr size_t kMailBytesPerMs = 8;

  explicit ImapClient(LineSocket& socket) : socket_(socket), reader_(socket) {}

  // Connects as the security box and port say, reads the greeting, negotiates TLS through
  // STARTTLS when it is required or (with "自動" on a port other than 993) offered, and logs
  // in.
  bool Open(const MailboxLogin& login, std::string& error);
  // SELECT, or EXAMINE when nothing may change (mail left on the server). `folder` is code
  // page 932, as the settings hold it.
  bool Select(const std::string& folder, bool read_only, ImapFolder& state, std::string& error);
  // The UID and size of every mail of the selected folder (`exists` of them, as SELECT said;
  // the list holds what the server sends, never more than it announced plus a margin).
  bool ListMessages(uint32_t exists, std::vector<ImapMessage>& list, std::string& error);
  // Fetches these mails (sizes from ListMessages) by BODY.PEEK[] and hands each one's bytes
  // to `take` as it arrives; a mail the server no longer has is skipped. `take` returning
  // false ends the dialogue (the connection is closed).
  bool Fetch(const std::vector<ImapMessage>& mails,
             const std::function<bool(uint32_t uid, std::string& bytes)>& take, std::string& error);
  // Flags these UIDs \Deleted and removes them: UID EXPUNGE with UIDPLUS, else EXPUNGE only
  // when no other mail of the folder is flagged \Deleted (another client's flags are not
  // ours to act on). `removed` counts what the server reported expunged.
  bool Delete(const std::vector<uint32_t>& uids, int& removed, std::string& error);
  // Ends the dialogue and closes the connection.
  bool Logout(std::string& error);
  void Close();

  ImapFailure failure() const { return failure_; }
  bool Has(std::string_view capability) const { return caps_.contains(std::string(capability)); }

 private:
  using Handler = std::function<bool(ImapResponse&)>;
  // Sends a command (with its tag) and reads up to its tagged answer, handing every untagged
  // response to `untagged`; true on OK. Arguments that must be literals are in `literals`
  // and go after the parts of `parts` ending in "{n}".
  bool Command(const std::string& line, const Handler& untagged, std::string& error,
               const std::vector<std::string>& literals = {});
  bool ReadUntil(const std::string& tag, const Handler& untagged, std::string& error);
  bool Fail(ImapFailure why, std::string text, std::string& error);
  bool Capabilities(std::string& error);
  void NoteCapabilities(std::string_view list);
  bool Login(const MailboxLogin& login, std::string& error);
  // A string argument: quoted, or a literal (appended to `literals`) when it cannot be.
  std::string Arg(const std::string& value, std::vector<std::string>& literals) const;

  LineSocket& socket_;
  ImapReader reader_;
  ImapFailure failure_ = ImapFailure::kNone;
  std::set<std::string> caps_;
  int next_tag_ = 0;
  ImapResponse response_;
};

// A folder name as IMAP spells it: code page 932 turned into modified UTF-7.
std::string ImapFolderName(std::string_view cp932);
// A comma-separated set of UIDs ("3:5,9"), in the order given, ranges joined.
std::string UidSet(const std::vector<uint32_t>& uids);

}  // namespace sorami
