// Writes the synthetic store of the benchmarks into an application directory, for the
// comparison with plain tools (scripts/bench-vs-tools):
//
//   bench_store_data APPDIR CONFIGDIR RECORDS plain|encrypted
//
// "plain" leaves Data/Master.dat with the encryption switch off; "encrypted" leaves
// Data/Master.enc (and the key in CONFIGDIR) with the switch on. Prints the size of the
// master file in bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "MasterData.h"
#include "platform/FileCrypto.h"
#include "platform/IniStore.h"
#include "shell/AppState.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 5 || (std::strcmp(argv[4], "plain") != 0 && std::strcmp(argv[4], "encrypted") != 0)) {
    std::fputs("usage: bench_store_data APPDIR CONFIGDIR RECORDS plain|encrypted\n", stderr);
    return 2;
  }
  const bool encrypted = std::strcmp(argv[4], "encrypted") == 0;
  const sorami::AppPaths paths{argv[1], argv[2], false};
  fs::create_directories(paths.config_dir);
  sorami::IniStore ini = sorami::Registry(paths.config_dir).Open(sorami::kCommonKey);
  ini.WriteBool("Setting", "fmKairoSettei.CkAngouka", encrypted);
  if (!ini.Save()) return 1;
  const fs::path plain = paths.DataDir() / "Master.dat";
  fs::remove(paths.DataDir() / "Master.enc");
  sorami::bench::WriteSyntheticMaster(plain, std::atoi(argv[3]));
  fs::path result = plain;
  if (encrypted) {
    result = paths.DataDir() / "Master.enc";
    auto crypto = sorami::MakeSodiumFileCrypto(paths.KeyFile());
    if (crypto->EncryptFile(plain.c_str(), result.c_str(), "") != 0) return 1;
    fs::remove(plain);
  }
  std::printf("%llu\n", static_cast<unsigned long long>(fs::file_size(result)));
  return 0;
}
