#include "site/HostLookup.h"

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "site/SendHttp.h"

namespace sorami {

bool GetKairoHost(SiteSession& ss, const std::string& site, SiteHostInfo& found, std::string& msg) {
  ss.log.Log("GetKairoHost");
  const std::vector<std::string> fields = {"COMMAND=GETHOST", "TOSITE=" + site};
  std::string value;
  if (!SendHTTP(ss, SiteRequest::kGetHost, ss.directory_host, fields, value, msg)) {
    ss.log.Log("ng:SendHTTP");
    return false;
  }
  ss.log.Log("OK(SendHTTP)");
  return GetKairoSiteID(ss.log, value, found, msg);
}

bool GetKairoSiteID(DiagLog& log, const std::string& value, SiteHostInfo& found, std::string& msg) {
  log.Log(".GetKairoSiteID :" + value);
  std::string rest = value;
  std::string item, name, host, user, dyn;
  while (!rest.empty()) {
    SplitToken("\t", rest, item);
    SplitToken("=", item, name);
    log.Log("parm:" + name + " val:" + item);
    if (name == "TOHOST") host = item;
    if (name == "TOUSER") user = item;
    if (name == "DYNAMIC") dyn = item;
  }
  if (host.empty() || user.empty()) {
    msg = Utf8ToCp932("接続エラー");
    return false;
  }
  found = {host, user, dyn};
  msg = Utf8ToCp932("接続ＯＫ");
  return true;
}

bool KakuninKairoID(SiteSession& ss, const SiteLogin& login, std::string& msg) {
  ss.log.Log("KakuninKairoID");
  const std::vector<std::string> fields = {"COMMAND=CHECK", "FROMSITE=" + login.host,
                                           "FROMUSER=" + login.user, "FROMNAME=" + login.account,
                                           "USERPASS=" + login.pass};
  std::string value;
  const bool ok = SendHTTP(ss, SiteRequest::kCheck, login.host, fields, value, msg);
  ss.log.Log("val:" + value);
  ss.log.Log("msg:" + msg);
  return ok;
}

bool GetDynamicHost(SiteSession& ss, const std::string& key, std::string& host, std::string& msg) {
  ss.log.Log(".GetDynamicHost : " + key);
  std::string after = key;
  std::string before;
  SplitToken("$", after, before);
  if (MbFind("$", key) == std::string::npos) after.clear();  // a key without "$" is empty
  const std::vector<std::string> fields = {"COMMAND=GETDYN", "HOST=" + after};
  std::string value;
  if (!SendHTTP(ss, SiteRequest::kGetDyn, ss.directory_host, fields, value, msg)) return false;
  const size_t b = value.find_first_not_of(" \t\r\n");
  const size_t e = value.find_last_not_of(" \t\r\n");
  host = b == std::string::npos ? std::string() : value.substr(b, e - b + 1);
  ss.log.Log("host: " + host);
  ss.log.Log("msg : " + msg);
  if (ss.on_dynamic_host) ss.on_dynamic_host(after, host);
  return true;
}

}  // namespace sorami
