// "サイト一覧(&S)" → "取得(&G)": the public sites as the current account's host lists them,
// asked as one site request (refused while another waits).
#pragma once

#include <string>

#include "shell/AppState.h"

namespace sorami {

struct SiteListReport {
  bool refused = false;  // another site request was running; nothing was done
  bool ok = false;
  std::string text;    // what the message pane shows: "(公開サイト一覧)" and the list
  std::string status;  // the main status bar: "取得完了" or what went wrong
};

SiteListReport FetchSiteList(AppState& st);

}  // namespace sorami
