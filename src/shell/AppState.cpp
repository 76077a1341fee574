#include "shell/AppState.h"

#include "platform/Codepage.h"

namespace sorami {

AppState::AppState(AppPaths p, std::unique_ptr<FileCrypto> c, DiagLog::Clock clock)
    : paths(std::move(p)),
      registry(paths.config_dir),
      crypto(std::move(c)),
      log(std::move(clock)),
      master{paths.DataDir(), crypto.get(), log},
      site(log, aclog),
      receipts(this->paths.DataDir() / "Receipted.dat"),
      tenpu_wait(this->paths.DataDir() / "TenpuWait.dat"),
      help_dir(paths.app_dir / "Help"),
      doc_root(PathText(help_dir)) {
  site.spool_dir = paths.DataDir();
  site.on_dynamic_host = [this](const std::string& key, const std::string& host) {
    SetForDynamic(settei, SetteiPlace(), key, host);
  };
}

void AppState::LoadCoreSettings() {
  const IniStore ini = registry.Open(kCommonKey);
  master.encrypt = ini.ReadBool("Setting", "fmKairoSettei.CkAngouka", true);
}

SetteiStore AppState::SetteiPlace() {
  return {registry, paths.DataDir(), log, aclog, master.encrypt, site.directory_host, passwords};
}

}  // namespace sorami
