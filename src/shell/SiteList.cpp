#include "shell/SiteList.h"

#include "site/SendHttp.h"
#include "site/SiteIchiran.h"

namespace sorami {

SiteListReport FetchSiteList(AppState& st) {
  SiteListReport out;
  SiteGuard guard(st.site);
  if (!guard.acquired()) {
    out.refused = true;
    out.status = BusyMessage();
    return out;
  }
  const CurrentAccount& c = st.cur;
  const SiteLogin login{c.site, c.account, c.pass, c.host, c.user, c.dyn};
  out.ok = SiteIchiran(st.site, login, out.text, out.status);
  st.log.Log(out.status);
  return out;
}

}  // namespace sorami
