#include "shell/ConnectionCheck.h"

#include "base/MbText.h"
#include "site/HostLookup.h"
#include "site/SendHttp.h"
#include "site/SiteWire.h"

namespace sorami {

namespace {

CheckOutcome Refused() {
  CheckOutcome out;
  out.refused = true;
  out.msg = out.status = BusyMessage();
  return out;
}

void SaveSettings(AppState& st) {
  std::string msg;
  if (!SetteiHozon(st.settei, st.SetteiPlace(), msg)) st.log.Log(msg);
}

SiteLogin LoginOf(const CurrentAccount& c) {
  return {c.site, c.account, c.pass, c.host, c.user, c.dyn};
}

}  // namespace

bool ExecTest(AppState& st, std::string& msg) {
  st.log.Log("ExecTest");
  SiteHostInfo found;
  if (!GetKairoHost(st.site, st.cur.site, found, msg)) return false;
  st.settei.v.host = found.host;
  st.settei.v.sys_user = found.user;
  st.settei.v.dyn_key = found.dyn;
  st.cur.host = found.host;
  st.cur.user = found.user;
  return KakuninKairoID(st.site, LoginOf(st.cur), msg);
}

CheckOutcome SetsuzokuKakunin(AppState& st, const std::string& site, const std::string& nick,
                              const std::string& pass_box) {
  SiteGuard guard(st.site);
  if (!guard.acquired()) return Refused();
  CheckOutcome out;
  // The host and user are the look-up's to find; the boxes become the current account.
  st.settei.v.host.clear();
  st.settei.v.sys_user.clear();
  SetEditKairo(st.settei, site);
  SetEditAccount(st.settei, nick);
  SetEditPassword(st.settei, pass_box);

  out.ok = ExecTest(st, out.msg);
  if (out.ok) {
    const bool masked = pass_box == PasswordMask();
    SetEditPassword(st.settei, masked ? st.cur.pass : pass_box);
    RecordCheckedAccount(st.settei, st.log);
    if (!masked) st.cur.pass = pass_box;
    SaveSettings(st);
  } else {
    st.log.Log("False :" + out.msg);
  }
  st.log.Log("MSG:" + out.msg);

  out.status = out.msg;
  const size_t at = MbFind(kOkPgm, out.status);
  if (at != std::string::npos) out.status.erase(0, at + kOkPgm.size());
  return out;
}

CheckOutcome KakuninAccount(AppState& st) {
  SiteGuard guard(st.site);
  if (!guard.acquired()) return Refused();
  CheckOutcome out;
  out.ok = ExecTest(st, out.msg);
  out.status = out.msg;
  if (out.ok) SaveSettings(st);
  return out;
}

}  // namespace sorami
