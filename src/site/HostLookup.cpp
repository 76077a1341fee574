#include "site/HostLookup.h"

#include "platform/Codepage.h"
#include "shell/MbText.h"
#include "site/SendHttp.h"

namespace sorami {

bool GetKairoHost(AppState& st, std::string& msg) {
  st.log.Log("GetKairoHost");
  const std::vector<std::string> fields = {"COMMAND=GETHOST", "TOSITE=" + st.cur.site};
  std::string value;
  if (!SendHTTP(st, "GETHOST", st.directory_host, fields, value, msg)) {
    st.log.Log("ng:SendHTTP");
    return false;
  }
  st.log.Log("OK(SendHTTP)");
  return GetKairoSiteID(st, value, msg);
}

bool GetKairoSiteID(AppState& st, const std::string& value, std::string& msg) {
  st.log.Log(".GetKairoSiteID :" + value);
  std::string rest = value;
  std::string item, name, host, user, dyn;
  while (!rest.empty()) {
    SplitToken("\t", rest, item);
    SplitToken("=", item, name);
    st.log.Log("parm:" + name + " val:" + item);
    if (name == "TOHOST") host = item;
    if (name == "TOUSER") user = item;
    if (name == "DYNAMIC") dyn = item;
  }
  if (host.empty() || user.empty()) {
    msg = Utf8ToCp932("接続エラー");
    return false;
  }
  st.settei.v.lb_host = host;
  st.settei.v.lb_sys_user = user;
  st.settei.v.lb_dyn = dyn;
  st.cur.host = host;
  st.cur.user = user;
  msg = Utf8ToCp932("接続ＯＫ");
  return true;
}

bool KakuninKairoID(AppState& st, std::string& msg) {
  st.log.Log("KakuninKairoID");
  const std::vector<std::string> fields = {"COMMAND=CHECK", "FROMSITE=" + st.cur.host,
                                           "FROMUSER=" + st.cur.user,
                                           "FROMNAME=" + st.cur.account,
                                           "USERPASS=" + st.cur.pass};
  std::string value;
  const bool ok = SendHTTP(st, "CHECK", st.cur.host, fields, value, msg);
  st.log.Log("val:" + value);
  st.log.Log("msg:" + msg);
  return ok;
}

bool ExecTest(AppState& st, std::string& msg) {
  st.log.Log("ExecTest");
  if (!GetKairoHost(st, msg)) return false;
  return KakuninKairoID(st, msg);
}

bool GetDynamicHost(AppState& st, const std::string& key, std::string& host, std::string& msg) {
  st.log.Log(".GetDynamicHost : " + key);
  std::string after = key;
  std::string before;
  SplitToken("$", after, before);
  if (MbFind("$", key) == std::string::npos) after.clear();  // a key without "$" is empty
  const std::vector<std::string> fields = {"COMMAND=GETDYN", "HOST=" + after};
  std::string value;
  if (!SendHTTP(st, "GETDYN", st.directory_host, fields, value, msg)) return false;
  const size_t b = value.find_first_not_of(" \t\r\n");
  const size_t e = value.find_last_not_of(" \t\r\n");
  host = b == std::string::npos ? std::string() : value.substr(b, e - b + 1);
  st.log.Log("host: " + host);
  st.log.Log("msg : " + msg);
  SetForDynamic(st, after, host);
  return true;
}

}  // namespace sorami
