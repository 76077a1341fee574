// A run's whole state on a scratch application and configuration directory, for tests of
// routines that join several parts (site requests, settings, windows).
#pragma once

#include "shell/AppState.h"
#include "store/StoreFixture.h"

namespace sorami::test {

// A line of the account list from its fields, as the file holds it.
inline std::string JoinedRow(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& f : fields)
    line += (line.empty() && &f == fields.begin() ? "" : "\t") + f;
  return line;
}

class AppTest : public PartsTest<AppState> {
 protected:
  AppTest() { Remake(); }

  // A new run on the same directories (as after a restart).
  void Remake(std::unique_ptr<FileCrypto> crypto = nullptr) {
    AppPaths paths{dir / "app", dir / "cfg", false};
    if (!crypto) crypto = MakeSodiumFileCrypto(paths.KeyFile());
    st = std::make_unique<AppState>(paths, std::move(crypto));
    st->log.Attach();
    st->master.encrypt = false;
  }
};

}  // namespace sorami::test
