// sorami-cli attachments / sites: the attachments a record lists (as the attachment window would
// show them) with their files, after "--download" has fetched the missing ones as "再取得" does,
// and the public site list as "サイト一覧(&S)" shows it.
#include <cstdio>
#include <string>
#include <vector>

#include "attach/TenpuList.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "platform/Codepage.h"
#include "shell/SiteList.h"
#include "shell/TenpuFetch.h"
#include "store/MasterFile.h"

namespace sorami::cli {

int CliAttachments(AppState& st, const std::vector<std::string>& args) {
  const bool download = args.size() == 2 && args[1] == "--download";
  if ((args.size() != 1 && !download) || args[0].empty() ||
      args[0].find_first_not_of("0123456789") != std::string::npos) {
    return kExitUsage;
  }
  const long row = std::stol(args[0]);
  st.master.read_only = true;  // the records stay as they are; only files may come
  if (!ReadStore(st)) return kExitFailed;
  if (row >= st.store.CtMaster()) {
    PrintError("エラー(HyoujiMessage)"_cp932);
    return kExitFailed;
  }
  WaitingFetch got;
  if (download) got = RefetchTenpu(st, static_cast<int32_t>(row));
  for (const RecordFile& f :
       RecordTenpu(st.store, static_cast<int32_t>(row), st.paths.AttachDir())) {
    std::printf("{\"name\": %s, \"type\": %s, \"path\": %s, \"exists\": %s}\n",
                JsonText(f.row.name).c_str(), JsonText(f.row.detail).c_str(),
                JsonUtf8(f.path.string()).c_str(), f.exists ? "true" : "false");
  }
  if (got.failed > 0) {
    PrintError(got.msg);
    return kExitFailed;
  }
  return kExitOk;
}

int CliSites(AppState& st, const std::vector<std::string>& args) {
  if (!args.empty()) return kExitUsage;
  const SiteListReport out = FetchSiteList(st);
  if (!out.ok) {
    PrintError(out.status);
    return kExitFailed;
  }
  PrintLine(out.text);
  return kExitOk;
}

}  // namespace sorami::cli
