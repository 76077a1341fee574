// Message store benchmarks: ReadMaster and SaveMaster of a 100,000-record master file,
// against copying the same file with cp; ExistsMaster look-ups; and, with the argument
// "memory" [plain|encrypted-read|encrypted-save], the peak memory of one read (and save)
// against the file size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MasterData.h"
#include "shell/AppState.h"
#include "store/MasterFile.h"

namespace sorami::bench {
namespace {

constexpr int kRecords = 100000;

struct Fixture {
  Fixture() {
    dir = std::filesystem::temp_directory_path() / "sorami-bench-master";
    std::filesystem::remove_all(dir);
    AppPaths paths{dir / "app", dir / "cfg", false};
    file_size = WriteSyntheticMaster(paths.DataDir() / "Master.dat", kRecords);
    st = std::make_unique<AppState>(paths, MakeSodiumFileCrypto(paths.KeyFile()));
    st->master.encrypt = false;
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  size_t file_size = 0;
  std::unique_ptr<AppState> st;
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_ReadMaster(benchmark::State& state) {
  Fixture& f = Shared();
  std::string msg;
  for (auto _ : state) {
    if (!ReadMaster(f.st->master, f.st->store, msg)) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.file_size));
  state.counters["records"] = f.st->store.CtMaster();
}
BENCHMARK(BM_ReadMaster)->Unit(benchmark::kMillisecond);

void BM_SaveMaster(benchmark::State& state) {
  Fixture& f = Shared();
  std::string msg;
  if (!ReadMaster(f.st->master, f.st->store, msg)) state.SkipWithError("read failed");
  for (auto _ : state) {
    if (!SaveMaster(f.st->master, f.st->store, msg)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.file_size));
}
BENCHMARK(BM_SaveMaster)->Unit(benchmark::kMillisecond);

void BM_SaveMasterEncrypted(benchmark::State& state) {
  Fixture& f = Shared();
  std::string msg;
  f.st->master.encrypt = false;
  if (!ReadMaster(f.st->master, f.st->store, msg)) state.SkipWithError("read failed");
  f.st->master.encrypt = true;
  for (auto _ : state) {
    if (!SaveMaster(f.st->master, f.st->store, msg)) state.SkipWithError("save failed");
  }
  f.st->master.encrypt = false;
  SaveMaster(f.st->master, f.st->store, msg);  // leave the plain file for the other benchmarks
}
BENCHMARK(BM_SaveMasterEncrypted)->Unit(benchmark::kMillisecond);

void BM_ReadMasterEncrypted(benchmark::State& state) {
  Fixture& f = Shared();
  std::string msg;
  f.st->master.encrypt = false;
  if (!ReadMaster(f.st->master, f.st->store, msg)) state.SkipWithError("read failed");
  f.st->master.encrypt = true;
  if (!SaveMaster(f.st->master, f.st->store, msg))
    state.SkipWithError("save failed");  // leaves Master.enc
  for (auto _ : state) {
    if (!ReadMaster(f.st->master, f.st->store, msg)) state.SkipWithError("read failed");
  }
  f.st->master.encrypt = false;
  SaveMaster(f.st->master, f.st->store, msg);  // back to the plain file for the other benchmarks
}
BENCHMARK(BM_ReadMasterEncrypted)->Unit(benchmark::kMillisecond);

void BM_CopyWithCp(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string src = (f.st->paths.DataDir() / "Master.dat").string();
  const std::string cmd = "cp '" + src + "' '" + src + ".copy'";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
  }
}
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond);

void BM_ExistsMaster10k(benchmark::State& state) {
  Fixture& f = Shared();
  std::string msg;
  if (!ReadMaster(f.st->master, f.st->store, msg)) state.SkipWithError("read failed");
  f.st->log.SetSuspended(true);
  MastFields fields;
  int found = 0;
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) {
      const int k = i * 13 % (kRecords * 2);  // half of them present
      fields[MastCol::kDate] = SyntheticDate(k);
      fields[MastCol::kSender] = SyntheticSender(k);
      found += ExistsMaster(f.st->store, f.st->log, fields) ? 1 : 0;
    }
  }
  benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_ExistsMaster10k)->Unit(benchmark::kMillisecond);

long PeakRssKb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

// The peak memory of one read (plain or encrypted) or one encrypted save, against the file
// size; one kind per process, as the peak is the process's own.
int MemoryReport(const char* kind) {
  Fixture& f = Shared();
  std::string msg;
  const bool encrypted = std::strcmp(kind, "plain") != 0;
  if (encrypted) {
    // Master.enc from the plain file, without reading it into this process's store.
    const auto data = f.st->paths.DataDir();
    if (f.st->crypto->EncryptFile((data / "Master.dat").c_str(), (data / "Master.enc").c_str(),
                                  "") != 0) {
      return 1;
    }
    std::filesystem::remove(data / "Master.dat");
    f.st->master.encrypt = true;
  }
  const long before = PeakRssKb();
  if (!ReadMaster(f.st->master, f.st->store, msg)) return 1;
  if (std::strcmp(kind, "encrypted-save") == 0 && !SaveMaster(f.st->master, f.st->store, msg)) {
    return 1;
  }
  const long after = PeakRssKb();
  std::printf(
      "%s: file %.1f MB, %d records; peak RSS before %.1f MB, after %.1f MB; "
      "growth = %.2f x file size\n",
      kind, f.file_size / 1e6, f.st->store.CtMaster(), before / 1e3, after / 1e3,
      (after - before) * 1e3 / static_cast<double>(f.file_size));
  return 0;
}

}  // namespace
}  // namespace sorami::bench

int main(int argc, char** argv) {
  // memory [plain|encrypted-read|encrypted-save]
  if (argc > 1 && std::strcmp(argv[1], "memory") == 0) {
    return sorami::bench::MemoryReport(argc > 2 ? argv[2] : "plain");
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
