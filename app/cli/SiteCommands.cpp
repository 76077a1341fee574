// sorami-cli account add / check / fetch: the site requests of the connection check and the
// fetch, with the messages the windows would show.
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/Codepage.h"
#include "shell/ConnectionCheck.h"
#include "shell/SiteFetch.h"
#include "store/MasterFile.h"
#include "store/StoreObserver.h"

namespace sorami::cli {

namespace {

// The connection check: the given site, nickname and password become the current account,
// are checked, and on success recorded as an enabled account and saved.
int AccountAdd(AppState& st, const std::vector<std::string>& args) {
  if (args.size() != 4) return kExitUsage;
  SetEditKairo(st.settei, Utf8ToCp932(args[1]));
  SetEditAccount(st.settei, Utf8ToCp932(args[2]));
  SetEditPassword(st.settei, Utf8ToCp932(args[3]));
  std::string msg;
  if (!ExecTest(st, msg)) {
    PrintError(msg);
    return kExitFailed;
  }
  RecordCheckedAccount(st.settei, st.log);
  std::string save_msg;
  if (!SetteiHozon(st.settei, st.SetteiPlace(), save_msg)) {
    PrintError(save_msg);
    return kExitFailed;
  }
  // The main window's account boxes show the checked account at its next start, as after a
  // check made in the window.
  IniStore ini = st.registry.Open(kCommonKey);
  ini.WriteString("Setting", "fmKairo.curSite", st.cur.site);
  ini.WriteString("Setting", "fmKairo.curAccount", st.cur.nickname);
  if (!ini.Save()) PrintError("Cannot Write : " + PathText(ini.path()));
  PrintLine(msg);
  return kExitOk;
}

int Check(AppState& st) {
  std::string msg;
  const bool ok = ExecTest(st, msg);
  (ok ? PrintLine : PrintError)(msg);
  return ok ? kExitOk : kExitFailed;
}

// Whether the store changed since the fetch last saved it, so a store the fetch already
// saved is not written a second time.
class SavedSince : public StoreObserver {
 public:
  explicit SavedSince(const TArMastd& store) : store_(store) { store_.Watch(this); }
  ~SavedSince() override { store_.Unwatch(this); }
  SavedSince(const SavedSince&) = delete;
  SavedSince& operator=(const SavedSince&) = delete;

  void Appended(int32_t) override { changed_ = true; }
  void Changed(int32_t, MastCol, std::string_view) override { changed_ = true; }
  void Reset() override { changed_ = true; }
  void Saved(std::string msg) {
    changed_ = false;
    msg_ = std::move(msg);
  }
  // The message of the last save, when nothing changed after it.
  bool Unchanged(std::string& msg) const {
    if (changed_) return false;
    msg = msg_;
    return true;
  }

 private:
  const TArMastd& store_;
  bool changed_ = true;  // nothing saved yet
  std::string msg_;
};

int Fetch(AppState& st, const std::vector<std::string>& args) {
  int row = -1;
  if (args.size() == 2 && args[0] == "--row") {
    try {
      row = std::stoi(args[1]);
    } catch (...) {
      return kExitUsage;
    }
    if (row < 0) return kExitUsage;
  } else if (!args.empty()) {
    return kExitUsage;
  }
  st.site.leave_on_site =
      st.registry.Open(kCommonKey).ReadBool("Setting", "fmKairo.CkNokosu", false);
  SavedSince saved(st.store);
  FetchHooks hooks;
  hooks.save = [&st, &saved](std::string& m) {
    const bool ok = SaveMaster(st.master, st.store, m);
    if (ok) saved.Saved(m);
    return ok;
  };
  // The store is read while the site answers the first request; nothing looks at it before
  // the read is done.
  hooks.store_ready = ReadStoreWhileFetching(st);
  const FetchReport out = FetchNewMessages(st, row, hooks);
  if (out.unreadable) {
    PrintError(out.status);  // never fetch into a store whose file could not be read
    return kExitFailed;
  }
  if (out.save_failed) {
    PrintError(out.status);  // what came stays on the site for the next fetch
    return kExitFailed;
  }
  PrintLine(out.status);
  std::string msg;
  if (!saved.Unchanged(msg) && !SaveMaster(st.master, st.store, msg)) {
    PrintError(msg);
    return kExitFailed;
  }
  PrintLine(msg);
  // A file that could not be downloaded is named in the status and waits for the next fetch.
  return out.failed > 0 || out.tenpu_failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace

int CliAccount(AppState& st, const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "add") return AccountAdd(st, args);
  return kExitUsage;
}

int CliCheck(AppState& st, const std::vector<std::string>& args) {
  return args.empty() ? Check(st) : kExitUsage;
}

int CliFetch(AppState& st, const std::vector<std::string>& args) { return Fetch(st, args); }

}  // namespace sorami::cli
