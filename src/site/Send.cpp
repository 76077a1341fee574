#include "site/Send.h"

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "site/HostLookup.h"

namespace sorami {

namespace {

std::vector<std::string> SenderFields(const SiteAccount& sender,
                                      const std::vector<std::string>& message_fields) {
  std::vector<std::string> fields = {"FROMHOST=" + sender.host, "FROMUSER=" + sender.sys_user};
  fields.insert(fields.end(), message_fields.begin(), message_fields.end());
  return fields;
}

void LogAnswer(DiagLog& log, const SiteAnswer& a) {
  log.Log("msg:" + a.msg);
  log.Log("val:" + a.value);
}

}  // namespace

SiteAnswer SendWinRequest(SiteSession& ss, const SiteAccount& sender,
                          const std::vector<std::string>& message_fields) {
  std::string host = sender.host;
  const SiteAnswer a = SendWithHostRetry(ss, SiteRequest::kSendWin, host, sender.dyn_key,
                                         SenderFields(sender, message_fields));
  LogAnswer(ss.log, a);
  if (a.ok()) ss.log.Log("sendok :" + a.msg);
  return a;
}

SiteAnswer SendSmtpRequest(SiteSession& ss, const SiteAccount& sender,
                           const std::vector<std::string>& message_fields,
                           const SmtpRelayFields& relay) {
  ss.log.Log("サーバー送信(SMTP)"_cp932);
  std::vector<std::string> fields = SenderFields(sender, message_fields);
  fields.push_back("SMTPHOST=" + relay.smtp_host);
  fields.push_back("SMTPUSER=" + relay.smtp_user);
  fields.push_back("SMTPFROM=" + relay.mail_address);
  fields.push_back("SMTPNAME=" + relay.mail_name);
  fields.push_back("SMTPID=" + sender.nickname);
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kSendSmtp, sender.host, fields);
  LogAnswer(ss.log, a);
  return a;
}

std::string SendResultText(const SiteAnswer& answer) {
  if (answer.ok() && TrimBytes(answer.msg).empty()) return "送信完了"_cp932;
  return answer.msg;
}

}  // namespace sorami
