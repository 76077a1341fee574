// Fetch benchmarks: reading an answer of 10,000 new message lines into a store of 100,000
// records (the duplicate test goes through the store's index), and an answer of 100,000
// lines, to show the reading has no quadratic cost; and the log of such an answer.
#include <benchmark/benchmark.h>

#include "MasterData.h"
#include "shell/AppState.h"
#include "site/Fetch.h"

namespace sorami::bench {
namespace {

std::string Answer(int lines, int first) {
  std::string value;
  for (int i = 0; i < lines; ++i) {
    const int k = first + i;
    value += std::to_string(i + 1) + "\ttaro%site\ttitle " + std::to_string(k) +
             "\tbody of the message\x0C\x0Bsecond line\t" + SyntheticDate(k) + "\t" +
             std::to_string(k) + "\t" + SyntheticSender(k) +
             "\t\t\t2026/12/01 00:00:00\tsite\thost\telsewhere\tuser\t\trecv\tfriend\tgeneral"
             "\t\t\t\t\t\r\n";
  }
  return value;
}

void BM_DispMessages(benchmark::State& state) {
  const int store_size = static_cast<int>(state.range(0));
  const int lines = static_cast<int>(state.range(1));
  const auto dir = std::filesystem::temp_directory_path() / "sorami-bench-fetch";
  std::filesystem::remove_all(dir);
  AppPaths paths{dir / "app", dir / "cfg", false};
  WriteSyntheticMaster(paths.DataDir() / "Master.dat", store_size);
  AppState st(paths, MakeSodiumFileCrypto(paths.KeyFile()));
  st.master.encrypt = false;
  st.log.Attach();
  std::string msg;
  ReadMaster(st.master, st.store, msg);
  const TArMastd loaded = st.store;
  // New lines: dates and senders beyond those of the stored records.
  const std::string value = Answer(lines, store_size * 2);
  for (auto _ : state) {
    state.PauseTiming();
    st.store = loaded;
    st.log.Clear();
    state.ResumeTiming();
    DispMessages(st.site, st.store, "", value, {}, msg);
  }
  state.counters["added"] = st.store.CtMaster() - loaded.CtMaster();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_DispMessages)->Args({100000, 10000})->Args({0, 100000})->Unit(benchmark::kMillisecond);

// The log of a fetch answer of 10,000 lines (about 2 MB): what the log keeps of it.
void BM_LogAnswer(benchmark::State& state) {
  const std::string value = Answer(10000, 0);
  DiagLog log;
  log.Attach();
  for (auto _ : state) {
    log.Log("value:", value);
    if (log.lines().size() > DiagLog::kKeptLines) log.Clear();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * value.size()));
}
BENCHMARK(BM_LogAnswer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorami::bench

BENCHMARK_MAIN();
