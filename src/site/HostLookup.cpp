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

bool IsHostName(std::string_view host) {
  if (host.empty()) return false;
  for (const char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == ':';
    if (!ok) return false;
  }
  return true;
}

bool GetKairoSiteID(DiagLog& log, const std::string& value, SiteHostInfo& found, std::string& msg) {
  log.Log(".GetKairoSiteID :" + value);
  std::string_view rest = value;
  std::string_view item, name;
  std::string host, user, dyn;
  while (!rest.empty()) {
    CutBytes("\t", rest, item);
    CutBytes("=", item, name);
    log.Log("parm:" + std::string(name) + " val:" + std::string(item));
    // The values are fields: the line end of the answer is not part of them.
    if (name == "TOHOST") host = TrimBytes(item);
    if (name == "TOUSER") user = TrimBytes(item);
    if (name == "DYNAMIC") dyn = TrimBytes(item);
  }
  if (!IsHostName(host) || user.empty()) {
    msg = "接続エラー"_cp932;
    return false;
  }
  found = {host, user, dyn};
  msg = "接続ＯＫ"_cp932;
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
  const std::string found(TrimBytes(value));
  ss.log.Log("host: " + found);
  ss.log.Log("msg : " + msg);
  // An empty or malformed answer is a failed look-up: it must not blank or corrupt the host
  // of every account with this key.
  if (!IsHostName(found)) {
    msg = "接続エラー"_cp932;
    return false;
  }
  host = found;
  if (ss.on_dynamic_host) ss.on_dynamic_host(after, host);
  return true;
}

}  // namespace sorami
