#include "shell/MailReceive.h"

#include "platform/Codepage.h"
#include "views/FolderCounts.h"

namespace sorami {

int PopPortOfIndex(long index) { return index == 1 ? 995 : 110; }

PopConfig PopConfigFromSettei(const SetteiValues& v) {
  PopConfig c;
  c.host = v.pop_host;
  c.port = PopPortOfIndex(v.pop_port_index);
  c.security = MailSecurity::kAuto;
  c.user = v.pop_user;
  c.password = v.pop_password;
  c.leave_on_server = v.leave_mail_on_server;
  return c;
}

MailReceiveReport ReceiveMail(AppState& st, const PopConfig& config, JushinEvents* events,
                              LineSocket* socket) {
  std::unique_ptr<LineSocket> own;
  if (!socket) {
    own = st.mail.make_socket ? st.mail.make_socket() : MakeQtLineSocket();
    socket = own.get();
  }
  JushinPlace place{{st.store, st.log, st.paths.DataDir(), st.paths.AttachDir(), events},
                    st.master,
                    &st.aclog,
                    events};
  MailReceiveReport report;
  static_cast<JushinOutcome&>(report) = MailJushin(st.mail, place, config, *socket);
  if (report.stored > 0) {
    SetDisplay(st.store, st.log, st.folder_counts, report.bar);
  } else if (report.ok) {
    report.bar = "新着メール無し"_cp932;
  } else {
    report.bar = report.status.empty() ? report.label : report.status;
  }
  if (report.parse_error) report.bar = "ERROR(POP)";
  return report;
}

MailReceiveReport ReceiveStoredMail(AppState& st, JushinEvents* events) {
  return ReceiveMail(st, PopConfigFromSettei(st.settei.v), events);
}

}  // namespace sorami
