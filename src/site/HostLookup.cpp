#include "site/HostLookup.h"

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "site/SendHttp.h"

namespace sorami {

bool GetKairoHost(SiteSession& ss, const std::string& site, SiteHostInfo& found, std::string& msg) {
  ss.log.Log("GetKairoHost");
  const std::vector<std::string> fields = {"COMMAND=GETHOST", "TOSITE=" + site};
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kGetHost, ss.directory_host, fields);
  msg = a.msg;
  if (!a.ok()) {
    ss.log.Log("ng:SendHTTP");
    return false;
  }
  ss.log.Log("OK(SendHTTP)");
  return GetKairoSiteID(ss.log, a.value, found, msg);
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

bool KakuninKairoID(SiteSession& ss, const SiteAccount& login, std::string& msg) {
  ss.log.Log("KakuninKairoID");
  const std::vector<std::string> fields = {
      "COMMAND=CHECK", "FROMSITE=" + login.host, "FROMUSER=" + login.sys_user,
      "FROMNAME=" + login.nickname, "USERPASS=" + login.password};
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kCheck, login.host, fields);
  msg = a.msg;
  ss.log.Log("val:" + a.value);
  ss.log.Log("msg:" + msg);
  return a.ok();
}

AccountCheck CheckAccount(SiteSession& ss, SiteAccount& account) {
  ss.log.Log("ExecTest");
  AccountCheck out;
  SiteHostInfo found;
  if (!GetKairoHost(ss, account.site, found, out.msg)) return out;
  out.found = true;
  account.host = found.host;
  account.sys_user = found.user;
  account.dyn_key = found.dyn;
  out.ok = KakuninKairoID(ss, account, out.msg);
  return out;
}

bool GetDynamicHost(SiteSession& ss, const std::string& key, std::string& host, std::string& msg) {
  ss.log.Log(".GetDynamicHost : " + key);
  std::string after = key;
  std::string before;
  SplitToken("$", after, before);
  if (MbFind("$", key) == std::string::npos) after.clear();  // a key without "$" is empty
  const std::vector<std::string> fields = {"COMMAND=GETDYN", "HOST=" + after};
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kGetDyn, ss.directory_host, fields);
  msg = a.msg;
  if (!a.ok()) return false;
  const std::string found(TrimBytes(a.value));
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

SiteAnswer SendWithHostRetry(SiteSession& ss, SiteRequest kind, std::string& host,
                             const std::string& dyn_key, const std::vector<std::string>& fields,
                             AnswerSpool* spool) {
  SiteAnswer a = SendHTTP(ss, kind, host, fields, spool);
  // Only a request that never reached the host goes again: one that went out may have been
  // acted on, and one the service refused would be refused again.
  if (a.outcome != SiteOutcome::kUnreachable || dyn_key.empty()) return a;
  ss.log.Log("DynamicHost : " + dyn_key);
  std::string moved = host, dyn_msg;
  if (!GetDynamicHost(ss, dyn_key, moved, dyn_msg)) {
    ss.log.Log(dyn_msg);
    return a;
  }
  ss.log.Log("host=>" + moved);
  host = moved;
  return SendHTTP(ss, kind, host, fields, spool);
}

}  // namespace sorami
