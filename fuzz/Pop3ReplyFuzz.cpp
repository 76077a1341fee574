// libFuzzer target: a POP3 server's side of a whole receive (greeting, STAT, UIDL, LIST,
// RETR, DELE, QUIT) as the client reads it.
#include <map>

#include "FuzzFiles.h"
#include "FuzzSocket.h"
#include "mail/pop3/Pop3Client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorami;
  fuzz::InputSocket socket(fuzz::Input(data, size));
  Pop3Client pop(socket);
  Pop3Account account;
  account.host = "h";
  account.security = MailSecurity::kNone;
  account.user = "u";
  account.password = "p";
  std::string error;
  if (!pop.Open(account, error)) return 0;
  int count = 0;
  if (!pop.Stat(count, error)) return 0;
  if (count < 0) fuzz::Broken();
  std::map<int, std::string> ids;
  pop.Uidl(count, ids, error);
  for (const auto& [number, id] : ids) {
    if (number < 1 || number > count) fuzz::Broken();
  }
  size_t bytes = 0;
  if (!pop.List(1, bytes, error)) return 0;
  std::string text;
  if (pop.Retr(1, bytes, text, error) && pop.Dele(1, error)) pop.Quit(error);
  return 0;
}
