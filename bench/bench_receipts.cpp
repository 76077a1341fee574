// Collecting read receipts on a large store: SetFeedBack applying 10,000 receipt lines to a
// store of 100,000 records of which 20,000 are sent copies waiting for their receipt.
// Target: under 0.3 s.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "site/Receipts.h"
#include "store/Folders.h"

namespace sorami::bench {
namespace {

std::string Date(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "2026/%02d/%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28,
                i / 3600 % 24, i / 60 % 60, i % 60);
  return buf;
}

void Fill(TArMastd& store) {
  store.SetCapacity(100000);
  std::array<std::string_view, TArMastData::kColumns> cols{};
  const std::string unread = UnreadMark();
  for (int i = 0; i < 100000; ++i) {
    const std::string date = Date(i);
    const bool waiting = i % 5 == 0;
    cols[ColIndex(MastCol::kDate)] = date;
    cols[ColIndex(MastCol::kFolder)] = FolderName(waiting ? Folder::kSent : Folder::kRead);
    cols[ColIndex(MastCol::kReadDate)] = waiting ? std::string_view(unread) : "2026/01/01";
    cols[ColIndex(MastCol::kSender)] = "someone";
    cols[ColIndex(MastCol::kTitle)] = "a title of a message";
    store.Append(cols);
  }
}

void BM_SetFeedBack(benchmark::State& state) {
  std::string lines;
  for (int i = 0; i < 10000; ++i) {
    lines += "x\t" + Date(i * 10) + "\t2026/12/01 00:00:00\tFEEDBACK\ta\tb\r\n";
  }
  DiagLog log;
  log.SetSuspended(true);
  for (auto _ : state) {
    state.PauseTiming();
    TArMastd store;
    Fill(store);
    state.ResumeTiming();
    int count = 0;
    SetFeedBack(log, store, lines, count);
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_SetFeedBack)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace sorami::bench

BENCHMARK_MAIN();
