// libFuzzer target: an IMAP server's side of a whole receive (greeting, capabilities, login,
// SELECT, the UID list, the mails' bodies, deletion, LOGOUT) as the client reads it.
#include <set>
#include <vector>

#include "FuzzFiles.h"
#include "FuzzSocket.h"
#include "mail/imap/ImapClient.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorami;
  fuzz::InputSocket socket(fuzz::Input(data, size));
  ImapClient imap(socket);
  MailboxLogin login;
  login.host = "h";
  login.security = MailSecurity::kNone;
  login.user = "u";
  login.password = "p\xe9";
  std::string error;
  if (!imap.Open(login, error)) return 0;
  ImapFolder folder;
  if (!imap.Select("INBOX", false, folder, error)) return 0;
  std::vector<ImapMessage> list;
  if (!imap.ListMessages(folder.exists, list, error)) return 0;
  if (list.size() > size_t{folder.exists} + 1000) fuzz::Broken();
  std::set<uint32_t> asked, given;
  for (ImapMessage& m : list) {
    asked.insert(m.uid);
    m.size %= 100000;  // the caller leaves larger mails alone
  }
  const bool whole = imap.Fetch(
      list,
      [&](uint32_t uid, std::string& bytes) {
        // Every mail was asked for, arrives once, and within its bound.
        if (!asked.contains(uid) || !given.insert(uid).second) fuzz::Broken();
        if (bytes.size() > 100000 + 100000 / 8 + 65536) fuzz::Broken();
        return true;
      },
      error);
  if (!whole) return 0;
  int removed = 0;
  if (imap.Delete(std::vector<uint32_t>(given.begin(), given.end()), removed, error)) {
    imap.Logout(error);
  }
  return 0;
}
