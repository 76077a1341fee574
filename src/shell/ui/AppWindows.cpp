#include "shell/ui/AppWindows.h"

#include "attach/ui/TFormTenpu.h"
#include "base/ui/QtText.h"
#include "compose/ui/TFormClaim.h"
#include "compose/ui/TFormNewMsg.h"
#include "compose/ui/TFormSendList.h"
#include "compose/ui/TFormShomei.h"
#include "settings/ui/TFormSettei.h"
#include "shell/ConnectionCheck.h"
#include "shell/SiteFetch.h"
#include "shell/ui/TFormMain.h"
#include "shell/ui/TFormMemo.h"
#include "shell/ui/TFormVersion.h"
#include "site/ui/TFormMessage.h"
#include "views/ui/TFormKensaku.h"

namespace sorami {

AppWindows::AppWindows(AppState& st) {
  main = std::make_unique<TFormMain>(st);
  settei = std::make_unique<TFormSettei>(st.settei, st.SetteiPlace());
  new_msg = std::make_unique<TFormNewMsg>(st.registry, st.log);
  message = std::make_unique<TFormMessage>(st.site);
  send_list = std::make_unique<TFormSendList>(st.registry, st.log);
  memo = std::make_unique<TFormMemo>(st);
  tenpu = std::make_unique<TFormTenpu>(st.registry, st.log);
  claim = std::make_unique<TFormClaim>(st.registry, st.log);
  shomei = std::make_unique<TFormShomei>(st.registry, st.log);
  kensaku = std::make_unique<TFormKensaku>(st.registry, st.log);
  version = std::make_unique<TFormVersion>();
  main->SetPeers(this);

  TFormMain* m = main.get();
  settei->hooks.fetch_row = [m](int row) { return Qs(m->SiteFetch(row).status); };
  settei->hooks.show_current_account = [m] { m->ShowCurrentAccount(); };
  settei->hooks.debug_armed = [m] { return m->DebugArmed(); };
  settei->hooks.check_account = [&st](std::string& msg) {
    const CheckOutcome out = KakuninAccount(st);
    msg = out.msg;
    return out.ok;
  };
}

// The main window goes last: the others may still refer to the state it shows.
AppWindows::~AppWindows() {
  version.reset();
  kensaku.reset();
  shomei.reset();
  claim.reset();
  tenpu.reset();
  memo.reset();
  send_list.reset();
  message.reset();
  new_msg.reset();
  settei.reset();
  main->SetPeers(nullptr);
  main.reset();
}

}  // namespace sorami
