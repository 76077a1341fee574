// libFuzzer target: an SMTP server's side of a send (greeting, EHLO, AUTH, one transaction,
// QUIT) as the client reads its replies.
#include "FuzzFiles.h"
#include "FuzzSocket.h"
#include "mail/smtp/TVexSMTP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorami;
  fuzz::InputSocket socket(fuzz::Input(data, size));
  TVexSMTP smtp(socket);
  SmtpServer server;
  server.host = "h";
  server.plan = {SocketSecurity::kPlain, StartTlsRule::kIfOffered};
  server.user = "u";
  server.password = "p";
  server.local_name = "l";
  if (!smtp.Connect(server)) {
    if (!smtp.error()) fuzz::Broken();  // a failed connect always says so
    return 0;
  }
  smtp.SendText("a@b", {{"c@d", "e@f"}, {}}, "Subject: x\r\n\r\n.body\r\n");
  if (smtp.ReplyText().size() > TVexSMTP::kMaxReplyBytes + 16) fuzz::Broken();
  smtp.Quit();
  return 0;
}
