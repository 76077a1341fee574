// Message view benchmarks on a 100,000-record store: listing the root node, its texts in
// UTF-8 (what the command line prints), one sort click, the search (also straight from the file),
// deleting 10,000 selected rows (also with the store watched as the main window watches it),
// and rebuilding the folder counts.
#include <benchmark/benchmark.h>

#include <optional>

#include "MasterData.h"
#include "platform/Codepage.h"
#include "shell/AppState.h"
#include "store/MasterFile.h"
#include "store/StoreOps.h"
#include "views/FolderCounts.h"
#include "views/FolderTree.h"
#include "views/MessageList.h"
#include "views/Search.h"
#include "views/SearchFile.h"

namespace sorami::bench {
namespace {

struct Fixture {
  Fixture() {
    dir = std::filesystem::temp_directory_path() / "sorami-bench-views";
    std::filesystem::remove_all(dir);
    AppPaths paths{dir / "app", dir / "cfg", false};
    WriteSyntheticMaster(paths.DataDir() / "Master.dat", 100000);
    st = std::make_unique<AppState>(paths, MakeSodiumFileCrypto(paths.KeyFile()));
    st->master.encrypt = false;
    st->log.Attach();
    st->log.SetSuspended(true);
    std::string msg;
    ReadMaster(st->master, st->store, msg);
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  std::unique_ptr<AppState> st;
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_ListRoot(benchmark::State& state) {
  Fixture& f = Shared();
  MessageList list;
  for (auto _ : state) list.Fill(f.st->store, 0, FolderNames()[0]);
  state.counters["rows"] = static_cast<double>(list.size());
}
BENCHMARK(BM_ListRoot)->Unit(benchmark::kMillisecond);

// What "list 0" prints: the ten texts of every listed row, as UTF-8.
void BM_ListTextsUtf8(benchmark::State& state) {
  Fixture& f = Shared();
  MessageList list;
  list.Fill(f.st->store, 0, FolderNames()[0]);
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      for (int c = 0; c < kListColumns; ++c) {
        bytes += Cp932ToUtf8(list.Text(f.st->store, i, static_cast<ListCol>(c))).size();
      }
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ListTextsUtf8)->Unit(benchmark::kMillisecond);

void BM_SortClick(benchmark::State& state) {
  Fixture& f = Shared();
  MessageList list;
  list.Fill(f.st->store, 0, FolderNames()[0]);
  const int col = static_cast<int>(state.range(0));
  for (auto _ : state) list.ColumnClick(f.st->store, static_cast<ListCol>(col));
}
BENCHMARK(BM_SortClick)
    ->Arg(ListColIndex(ListCol::kSender))
    ->Arg(ListColIndex(ListCol::kTitle))
    ->Arg(ListColIndex(ListCol::kDate))
    ->Arg(ListColIndex(ListCol::kIndex))
    ->Unit(benchmark::kMillisecond);

// A search over every column of 100,000 records, listing included: two keywords with AND (few
// records hold both: every column of every record is read), and ten with OR.
void BM_Search(benchmark::State& state) {
  Fixture& f = Shared();
  const bool two = state.range(0) == 0;
  const std::string text = two ? "99999 会員"_cp932 : "a1 b2 c3 d4 e5 f6 g7 h8 i9 99999"_cp932;
  MessageList list;
  size_t hits = 0;
  for (auto _ : state) {
    const SearchResult r =
        KensakuJikkou(f.st->store, f.st->log, text, two ? SearchMode::kAnd : SearchMode::kOr);
    list.SetRows(r.rows);
    for (size_t i = 0; i < list.size(); ++i) {
      benchmark::DoNotOptimize(list.Text(f.st->store, i, ListCol::kTitle));
    }
    hits = r.rows.size();
  }
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_Search)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same search straight from the plain master file, as the command line makes it (the store
// not read): a keyword of one record, and a folder's name held by a fifth of them, each
// matching record's list texts made.
void BM_SearchFile(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string text = state.range(0) == 0 ? "99999"_cp932 : "送信箱"_cp932;
  size_t hits = 0;
  for (auto _ : state) {
    SearchResult r;
    const FileSearch how = KensakuFile(
        f.st->master, f.st->log, text, SearchMode::kAnd,
        [](int32_t row, const TArMastData& rec) {
          benchmark::DoNotOptimize(Cp932ToUtf8(ListText(rec, row, ListCol::kTitle)));
        },
        r);
    if (how != FileSearch::kDone) state.SkipWithError("the store could not be searched so");
    hits = r.rows.size();
  }
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_SearchFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What the two views of the main window do with each change: the count list moves a count,
// the message list finds the row to repaint.
class ViewsLikeWatcher : public StoreObserver {
 public:
  ViewsLikeWatcher(const TArMastd& store, const MessageList& list) : store_(store), list_(list) {
    tally_.SetNodes(store, SystemNodeTexts());
  }
  void Appended(int32_t row) override { tally_.Add(store_.Get(row, MastCol::kFolder)); }
  void Changed(int32_t row, MastCol col, std::string_view before) override {
    benchmark::DoNotOptimize(list_.RowOf(row));
    if (col == MastCol::kFolder) tally_.Move(before, store_.Get(row, MastCol::kFolder));
  }
  void Reset() override { tally_.Recount(store_); }

 private:
  const TArMastd& store_;
  const MessageList& list_;
  FolderTally tally_;
};

void BM_Delete10kSelected(benchmark::State& state) {
  Fixture& f = Shared();
  MessageList list;
  std::optional<ViewsLikeWatcher> watcher;
  if (state.range(0) == 1) {
    watcher.emplace(f.st->store, list);
    f.st->store.Watch(&*watcher);
  }
  for (auto _ : state) {
    state.PauseTiming();
    // A copy of the store so every round deletes from the same records.
    AppState& st = *f.st;
    TArMastd saved = st.store;
    list.Fill(st.store, 0, FolderNames()[0]);
    std::vector<size_t> selected;
    std::vector<int32_t> rows;
    for (size_t i = list.size(); i-- > 0;) {
      if (i % 9 == 0 && selected.size() < 10000) {
        selected.push_back(i);
        rows.push_back(*list.RecordOf(static_cast<int64_t>(i)));
      }
    }
    state.ResumeTiming();
    std::string msg;
    SakujoMessage(st.store, st.log, rows, msg);
    list.RemoveRows(selected);
    state.PauseTiming();
    st.store = std::move(saved);
    state.ResumeTiming();
  }
  if (watcher) f.st->store.Unwatch(&*watcher);
}
BENCHMARK(BM_Delete10kSelected)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CountKensuu(benchmark::State& state) {
  Fixture& f = Shared();
  const auto nodes = SystemNodeTexts();
  for (auto _ : state) benchmark::DoNotOptimize(CountKensuu(f.st->store, f.st->log, nodes));
}
BENCHMARK(BM_CountKensuu)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorami::bench

BENCHMARK_MAIN();
