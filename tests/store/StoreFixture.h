// The store's parts on a scratch data directory, for tests of the store and the views.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "base/DiagLog.h"
#include "platform/Codepage.h"
#include "store/MasterFile.h"
#include "support/Scratch.h"
#include "views/History.h"

namespace sorami::test {

// A file-encryption library that fails every call, counting them.
class FailingCrypto : public FileCrypto {
 public:
  int EncryptFile(const char*, const char*, const char*) override { return ++calls, 1; }
  int DecryptFile(const char*, const char*, const char*) override { return ++calls, 1; }
  std::unique_ptr<EncryptedWriter> OpenEncrypted(const std::filesystem::path&) override {
    return ++calls, nullptr;
  }
  bool DecryptToSink(const std::filesystem::path&, const PlainSink&) override {
    return ++calls, false;
  }
  bool SealBytes(std::string_view, std::string_view, std::string&) override {
    return ++calls, false;
  }
  bool OpenBytes(std::string_view, std::string_view, std::string&) override {
    return ++calls, false;
  }
  int calls = 0;
};

// What the store routines work on, named as the application state names them.
struct StoreParts {
  StoreParts(const std::filesystem::path& data_dir, std::unique_ptr<FileCrypto> c)
      : crypto(std::move(c)), master{data_dir, crypto.get(), log} {}
  std::unique_ptr<FileCrypto> crypto;
  DiagLog log;
  TArMastd store;
  MasterFiles master;
  History history;
};

// A run's parts (`Parts`: the store's or the whole application's) on a scratch directory.
template <class Parts>
class PartsTest : public ::testing::Test {
 protected:
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
  std::unique_ptr<Parts> st;
  std::string msg;
};

class StoreTest : public PartsTest<StoreParts> {
 protected:
  StoreTest() { Remake(); }

  // A new run on the same directories (as after a restart).
  void Remake(std::unique_ptr<FileCrypto> crypto = nullptr) {
    if (!crypto) crypto = MakeSodiumFileCrypto(dir / "cfg" / "master.key");
    st = std::make_unique<StoreParts>(dir / "app" / "Data", std::move(crypto));
    st->log.Attach();
    st->master.encrypt = false;
  }
};

}  // namespace sorami::test
