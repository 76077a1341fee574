// Receiving the 1000-message mailbox of fill-mailbox.py (8.5 MB, six kinds of Japanese mail)
// from Dovecot on loopback: the whole receive into the store (parse, attachments, Recv.log,
// the master file saved) against mpop delivering the same mailbox into a Maildir. Both keep
// the mail on the server, so every run sees the same mailbox. The receive runs without and
// with the originals kept (first argument 0 / 1), on a plain and on an encrypted store
// (second argument 0 / 1).
// Run by hand:
//   build/release/bench/bench_pop3 [--benchmark_repetitions=5]
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

#include "mail/MailJushin.h"
#include "support/Dovecot.h"

namespace sorami::bench {
namespace {

namespace fs = std::filesystem;

test::Dovecot* Server() {
  static test::Dovecot* server = [] {
    auto* s = new test::Dovecot(false);
    if (s->running()) s->Fill(1000, "/tmp/sorami-bench-pop3-manifest.jsonl");
    return s;
  }();
  return server;
}

long MaxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_SoramiReceive(benchmark::State& state) {
  test::Dovecot* server = Server();
  if (!server->running()) return state.SkipWithError(server->why_not().c_str());
  const fs::path dir = fs::temp_directory_path() / "sorami-bench-pop3";
  PopConfig config;
  config.host = "127.0.0.1";
  config.port = server->port();
  config.security = MailSecurity::kNone;
  config.user = test::Dovecot::kUser;
  config.password = test::Dovecot::kPassword;
  config.leave_on_server = true;
  int stored = 0;
  const bool kept = state.range(0) != 0, sealed = state.range(1) != 0;
  std::unique_ptr<FileCrypto> crypto =
      sealed ? MakeSodiumFileCrypto(fs::temp_directory_path() / "sorami-bench-pop3.key") : nullptr;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir);
    DiagLog log;
    log.Attach();
    TArMastd store;
    MasterFiles master{dir / "Data", crypto.get(), log};
    master.encrypt = sealed;
    const Originals originals(master);
    JushinSession session;
    JushinPlace place{
        {store, log, dir / "Data", dir / "ATTACH", nullptr, kept ? &originals : nullptr},
        master,
        nullptr,
        nullptr};
    auto socket = MakeQtLineSocket();
    state.ResumeTiming();
    stored = MailJushin(session, place, config, *socket).stored;
  }
  state.counters["stored"] = stored;
  state.counters["maxrss_MB"] = static_cast<double>(MaxRssKb()) / 1024.0;
  fs::remove_all(dir);
}

void BM_Mpop(benchmark::State& state) {
  test::Dovecot* server = Server();
  if (!server->running()) return state.SkipWithError(server->why_not().c_str());
  if (std::system("command -v mpop >/dev/null") != 0) {
    return state.SkipWithError("mpop is not installed (scripts/setup installs it)");
  }
  const fs::path dir = fs::temp_directory_path() / "sorami-bench-mpop";
  const std::string command =
      "mpop --host=127.0.0.1 --port=" + std::to_string(server->port()) +
      " --tls=off --auth=user --user=test --passwordeval='echo secret' --keep=on"
      " --only-new=off --received-header=off --uidls-file=" +
      (dir / "uidls").string() + " --delivery=maildir," + (dir / "Maildir").string() + " -q";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir);
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(dir / "Maildir" / sub);
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) return state.SkipWithError("mpop failed");
  }
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir / "Maildir" / "new"))
    files += e.is_regular_file();
  state.counters["stored"] = static_cast<double>(files);
  fs::remove_all(dir);
}

BENCHMARK(BM_SoramiReceive)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_Mpop)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace sorami::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // the socket's event loop
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete sorami::bench::Server();
  return 0;
}
