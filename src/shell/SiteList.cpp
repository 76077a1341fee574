#include "shell/SiteList.h"

#include "site/SiteIchiran.h"

namespace sorami {

SiteListReport FetchSiteList(AppState& st) {
  SiteListReport out;
  BusyGuard guard(st.busy);
  if (!guard.acquired()) {
    out.refused = true;
    out.status = BusyMessage();
    return out;
  }
  out.ok = SiteIchiran(st.site, st.cur, out.text, out.status);
  st.log.Log(out.status);
  return out;
}

}  // namespace sorami
