#include "shell/AppState.h"

namespace sorami {

AppState::AppState(AppPaths p, std::unique_ptr<FileCrypto> c, DiagLog::Clock clock)
    : paths(std::move(p)),
      registry(paths.config_dir),
      crypto(std::move(c)),
      log(std::move(clock)),
      doc_root((paths.app_dir / "Help").string()) {}

void AppState::LoadCoreSettings() {
  const IniStore ini = registry.Open(kCommonKey);
  angouka = ini.ReadBool("Setting", "fmKairoSettei.CkAngouka", true);
}

}  // namespace sorami
