// The compose check with a large address list: CheckSoushin (with the automatic relation
// look-up of KankeiJidouSettei) over 50 recipients against an address list of 10,000 entries.
// Target: under 20 ms per check.
#include <benchmark/benchmark.h>

#include "compose/ComposeCheck.h"

namespace sorami::bench {
namespace {

std::vector<AddressEntry> AddressList(int n) {
  std::vector<AddressEntry> list;
  list.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    list.push_back({"user" + std::to_string(i) + ",other" + std::to_string(i) + "%site",
                    i % 2 ? "friend" : "family", "(noname)"});
  }
  return list;
}

std::string Recipients(int n, const char* stem) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    if (i > 0) text += ',';
    text += stem + std::to_string(i * 7);
  }
  return text;
}

void BM_CheckSoushin(benchmark::State& state) {
  const auto list = AddressList(static_cast<int>(state.range(0)));
  DiagLog log;
  log.SetSuspended(true);
  ComposeFields f;
  f.to = Recipients(30, "user");
  f.cc = Recipients(15, "other");
  f.bcc = Recipients(5, "nobody");
  f.title = "t";
  f.body = std::string(2000, 'x');
  f.auto_kankei = true;
  const ComposeSender sender{"me", "site", "Me"};
  for (auto _ : state) {
    ComposeFields fields = f;
    ComposeOutcome out;
    benchmark::DoNotOptimize(CheckSoushin(log, 1, "sent", fields, sender, list, out));
  }
}
BENCHMARK(BM_CheckSoushin)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorami::bench

BENCHMARK_MAIN();
