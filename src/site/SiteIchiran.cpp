#include "site/SiteIchiran.h"

#include "platform/Codepage.h"
#include "site/SendHttp.h"
#include "site/SiteWire.h"

namespace sorami {

bool SiteIchiran(SiteSession& ss, const SiteAccount& login, std::string& text, std::string& msg) {
  ss.log.Log("SiteIchiran");
  const std::vector<std::string> fields = {"COMMAND=SITELIST", "FROMNAME=" + login.nickname,
                                           "FROMUSER=" + login.sys_user};
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kGetHost, login.host, fields);
  if (!a.ok()) {
    msg = a.msg;
    return false;
  }
  ss.log.Log("val:" + a.value);
  ss.log.Log("msg:" + a.msg);
  text = "(公開サイト一覧)"_cp932 + a.value;
  msg = "取得完了"_cp932;
  return true;
}

bool AzukariSend(SiteSession& ss, std::int16_t /*mode*/, const std::string& dyn,
                 std::vector<std::string> fields, std::string& msg) {
  const std::string url = SiteUrl(SiteRequest::kCheck, ss.directory_host);
  fields.push_back("OPTION=AZUKARI");
  fields.push_back("DYNAMIC=" + dyn);
  msg.clear();
  for (const std::string& f : fields) msg += (msg.empty() ? "" : "\r\n") + f;
  HttpRequest req;
  req.url = url;
  req.content_type = "application/x-www-form-urlencoded";
  req.body = UrlEncodedBody(fields);
  const HttpResponse resp = ss.http ? ss.http->Send(req) : HttpResponse{};
  if (TransportOutcome(resp) != SiteOutcome::kOk) {
    msg += "預かり処理失敗 :"_cp932 + url;
    return false;
  }
  msg += resp.body;
  std::string value;
  std::string answer_msg;
  const bool ok = GetResult(resp.body, value, answer_msg);
  msg += value;
  return ok;
}

}  // namespace sorami
