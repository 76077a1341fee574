// Fetch benchmarks: reading an answer of 10,000 new message lines into a store of 100,000
// records (the duplicate test goes through the store's index), and an answer of 100,000
// lines, to show the reading has no quadratic cost; the log of such an answer; and the site
// service making the answer of 5,000 waiting letters.
#include <benchmark/benchmark.h>

#include <sstream>

#include "Admin.h"
#include "Commands.h"
#include "MasterData.h"
#include "Text.h"
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

// The service's database as scripts/bench-vs-tools fills it: one site, はなこ with `letters`
// letters from たろう waiting, each its own delivery.
void MakeSiteDb(const std::string& path, int letters) {
  const auto admin = [&path](std::vector<std::string> words) {
    site::Args a;
    a.command = words[0];
    a.positional.assign(words.begin() + 1, words.end());
    a.options["db"] = path;
    if (a.command == "addsite")
      a.options = {{"db", path}, {"host", "127.0.0.1:1"}, {"user", "hiroba"}};
    std::ostringstream out, err;
    if (site::RunAdmin(a, out, err) != 0) throw std::runtime_error(err.str());
  };
  admin({"init"});
  admin({"addsite", "広場"});
  admin({"adduser", "広場", "はなこ", "hana"});
  admin({"adduser", "広場", "たろう", "taro"});
  site::Db db(path);
  std::string body;
  for (int i = 0; i < 6; ++i)
    body += site::Sj("こんにちは。今週末の集まりは駅前の喫茶店で行います。\r\n");
  db.Exec("BEGIN");
  for (int i = 1; i <= letters; ++i) {
    char date[32];
    std::snprintf(date, sizeof date, "2027/01/01 %02d:%02d:%02d", i / 3600, i / 60 % 60, i % 60);
    db.Prepare(
          "INSERT INTO letter(sender_id, received, fromdate, toname, title, honbun) "
          "VALUES (2, ?1, ?2, ?3, ?4, ?5)")
        .Bind(1, "2026/12/07 10:00:00")
        .Bind(2, date)
        .Bind(3, site::Sj("はなこ%広場"))
        .Bind(4, "title " + std::to_string(i))
        .Bind(5, body)
        .Run();
    db.Prepare("INSERT INTO delivery(letter_id, member_id) VALUES (?1, 1)")
        .Bind(1, db.LastId())
        .Run();
  }
  db.Exec("COMMIT");
}

// The answer to a "GET" without the HTTP exchange: the look-up, the lines and the body. Every
// iteration starts from the same copy of the database, so the letters' first delivery is
// written each time, as in the benchmark's fetch.
void BM_SiteAnswer(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "sorami-bench-site";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "site.db").string(), orig = (dir / "orig.db").string();
  MakeSiteDb(path, static_cast<int>(state.range(0)));
  std::filesystem::copy_file(path, orig);
  site::Config config;
  config.dbPath = path;
  site::Form form;
  for (const auto& [name, value] : {std::pair<std::string, std::string>{"COMMAND", "GET"},
                                    {"TOSITE", site::Sj("広場")},
                                    {"TONAME", site::Sj("はなこ")},
                                    {"USERPASS", "hana"}}) {
    form.Add(name, value);
  }
  {
    site::Db db(path);  // the password's check is kept after the first: it is made here
    site::Fetch(site::Request{db, config, form}, false);
  }
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(orig, path, std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
    site::Db db(path);
    bytes = site::Fetch(site::Request{db, config, form}, false).Body().size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SiteAnswer)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorami::bench

BENCHMARK_MAIN();
