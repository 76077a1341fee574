#include "shell/ConnectionCheck.h"

#include "site/HostLookup.h"

namespace sorami {

namespace {

CheckOutcome Refused() {
  CheckOutcome out;
  out.refused = true;
  out.msg = BusyMessage();
  return out;
}

void SaveSettings(AppState& st) {
  std::string msg;
  if (!SetteiHozon(st.settei, st.SetteiPlace(), msg)) st.log.Log(msg);
}

}  // namespace

bool ExecTest(AppState& st, std::string& msg) {
  SiteAccount account = st.cur;
  // Refused before anything is asked: such an account could never be kept.
  msg = AccountTextError(account.site, account.nickname, account.password);
  if (!msg.empty()) return false;
  const AccountCheck check = CheckAccount(st.site, account);
  msg = check.msg;
  if (check.found) SetFoundHost(st.settei, account.host, account.sys_user, account.dyn_key);
  return check.ok;
}

CheckOutcome SetsuzokuKakunin(AppState& st, const std::string& site, const std::string& nick,
                              const std::string& pass_box) {
  BusyGuard guard(st.busy);
  if (!guard.acquired()) return Refused();
  CheckOutcome out;
  // Texts the account list cannot hold are refused as typed, changing nothing.
  out.msg = AccountTextError(site, nick, pass_box);
  if (!out.msg.empty()) return out;
  // The host and user are the look-up's to find; the boxes become the current account.
  st.settei.v.host.clear();
  st.settei.v.sys_user.clear();
  SetEditKairo(st.settei, site);
  SetEditAccount(st.settei, nick);
  SetEditPassword(st.settei, pass_box);

  out.ok = ExecTest(st, out.msg);
  if (out.ok) {
    RecordCheckedAccount(st.settei, st.log);
    SaveSettings(st);
  } else {
    st.log.Log("False :" + out.msg);
  }
  st.log.Log("MSG:" + out.msg);
  return out;
}

CheckOutcome KakuninAccount(AppState& st) {
  BusyGuard guard(st.busy);
  if (!guard.acquired()) return Refused();
  CheckOutcome out;
  out.ok = ExecTest(st, out.msg);
  if (out.ok) SaveSettings(st);
  return out;
}

}  // namespace sorami
