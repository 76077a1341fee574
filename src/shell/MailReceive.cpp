#include "shell/MailReceive.h"

#include "platform/Codepage.h"
#include "views/FolderCounts.h"

namespace sorami {

PopConfig PopConfigFromJob(const MailReceiveJob& job) {
  PopConfig c;
  static_cast<Pop3Account&>(c) = {job.host, job.port,     job.security,
                                  job.user, job.password, job.ca_file};
  c.leave_on_server = job.leave_on_server;
  c.protocol = job.imap ? MailProtocol::kImap : MailProtocol::kPop3;
  c.folders = job.folders;
  return c;
}

bool PopConfigFromSettei(const SetteiValues& v, PopConfig& c, std::string& msg) {
  MailReceiveJob job;
  if (!MakeReceiveJob(v, job, msg)) return false;
  c = PopConfigFromJob(job);
  return true;
}

MailReceiveReport ReceiveMail(AppState& st, const PopConfig& config, JushinEvents* events,
                              LineSocket* socket) {
  std::unique_ptr<LineSocket> own;
  if (!socket) {
    own = st.mail.make_socket ? st.mail.make_socket() : MakeQtLineSocket();
    socket = own.get();
  }
  JushinPlace place{
      {st.store, st.log, st.paths.DataDir(), st.paths.AttachDir(), events, &st.originals},
      st.master,
      &st.aclog,
      events};
  MailReceiveReport report;
  BusyGuard guard(st.busy);
  if (!guard.acquired()) {
    report.refused = true;
    report.status = report.bar = BusyMessage();
    return report;
  }
  static_cast<JushinOutcome&>(report) = MailJushin(st.mail, place, config, *socket);
  if (report.stored > 0) {
    SetDisplay(st.store, st.log, report.bar);
  } else if (report.ok) {
    report.bar = "新着メール無し"_cp932;
  } else {
    report.bar = report.status.empty() ? report.label : report.status;
  }
  if (report.parse_error || report.kept > 0) report.bar = ReceiveErrorLabel(config.protocol);
  if (report.kept > 0) report.bar += " " + report.status;  // what stayed on the server, and why
  return report;
}

MailReceiveReport ReceiveStoredMail(AppState& st, JushinEvents* events) {
  PopConfig config;
  MailReceiveReport report;
  if (!PopConfigFromSettei(st.settei.v, config, report.status)) {
    report.bar = report.status;
    return report;
  }
  return ReceiveMail(st, config, events);
}

}  // namespace sorami
