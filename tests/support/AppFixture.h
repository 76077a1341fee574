// A run's whole state on a scratch application and configuration directory, for tests of
// routines that join several parts (site requests, settings, windows).
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/Codepage.h"
#include "shell/AppState.h"
#include "store/MasterFile.h"
#include "store/StoreFixture.h"
#include "support/Scratch.h"

namespace sorami::test {

class AppTest : public ::testing::Test {
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

  std::filesystem::path DataFile(const char* name) { return dir / "app" / "Data" / name; }
  bool Has(const char* name) { return std::filesystem::exists(DataFile(name)); }

  // Appends a record with the given to, title, body, folder (UTF-8 texts).
  int32_t Add(const std::string& to, const std::string& title, const std::string& folder,
              const std::string& body = "", const std::string& date = "",
              const std::string& sender = "") {
    MastFields f;
    f[MastCol::kTo] = Utf8ToCp932(to);
    f[MastCol::kTitle] = Utf8ToCp932(title);
    f[MastCol::kBody] = Utf8ToCp932(body);
    f[MastCol::kDate] = date;
    f[MastCol::kSender] = Utf8ToCp932(sender);
    f[MastCol::kFolder] = Utf8ToCp932(folder);
    AddMaster(st->store, st->log, false, f);
    return st->store.CtMaster() - 1;
  }

  ScratchDir dir;
  std::unique_ptr<AppState> st;
  std::string msg;
};

}  // namespace sorami::test
