#include "shell/MailSend.h"

#include "platform/HostName.h"
#include "platform/LineSocket.h"
#include "settings/MailSettings.h"
#include "shell/AppState.h"

namespace sorami {

SmtpConfig SmtpConfigFromSettings(const SetteiValues& v) {
  SmtpConfig c;
  c.host = v.smtp_host;
  const int port = PortNumber(PortBoxText(v.smtp_port_index, v.smtp_port_text, SmtpPortList()));
  c.port = port == 0 ? 25 : port;
  c.security = MailSecurityFromIndex(v.smtp_tls_index);
  c.user = v.smtp_user;
  c.password = v.smtp_password.empty() ? v.pop_password : v.smtp_password;
  c.ca_file = v.tls_ca_file;
  return c;
}

void FillSender(const SetteiValues& v, OutgoingMail& mail) {
  mail.from_name = v.mail_name;
  mail.from_address = v.mail_address;
}

bool SendMailWithSettings(AppState& st, OutgoingMail mail, SmtpEvents* events, std::string& result,
                          std::vector<std::string>* refused) {
  FillSender(st.settei.v, mail);
  SendMailContext ctx{st.log,
                      st.paths.DataDir(),
                      LocalHostName(),
                      [](const SmtpConfig& c, std::string& error) {
                        std::unique_ptr<LineSocket> socket = MakeQtLineSocket();
                        if (!socket->SetExtraCaFile(c.ca_file, error)) socket.reset();
                        return socket;
                      },
                      events,
                      {},
                      {}};
  return SendMail(mail, SmtpConfigFromSettings(st.settei.v), ctx, result, refused);
}

}  // namespace sorami
