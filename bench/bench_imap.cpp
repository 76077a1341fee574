// Receiving the 1000-message mailbox of fill-mailbox.py (8.5 MB, six kinds of Japanese mail)
// from one Dovecot on loopback by IMAP and by POP3: the whole receive into the store (parse,
// attachments, Recv.log, the master file saved) each way, the mail left on the server so every
// run sees the same mailbox. Run by hand:
//   build/release/bench/bench_imap [--benchmark_repetitions=5]
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <filesystem>

#include "mail/MailJushin.h"
#include "support/Dovecot.h"

namespace sorami::bench {
namespace {

namespace fs = std::filesystem;

test::Dovecot* Server() {
  static test::Dovecot* server = [] {
    auto* s = new test::Dovecot(false, test::Dovecot::Imap::kOn);
    if (s->running()) s->Fill(1000, "/tmp/sorami-bench-imap-manifest.jsonl");
    return s;
  }();
  return server;
}

void Receive(benchmark::State& state, MailProtocol protocol) {
  test::Dovecot* server = Server();
  if (!server->running()) return state.SkipWithError(server->why_not().c_str());
  const fs::path dir = fs::temp_directory_path() / "sorami-bench-imap";
  PopConfig config;
  config.protocol = protocol;
  config.host = "127.0.0.1";
  config.port = protocol == MailProtocol::kImap ? server->imap_port() : server->port();
  config.security = MailSecurity::kNone;
  config.user = test::Dovecot::kUser;
  config.password = test::Dovecot::kPassword;
  config.leave_on_server = true;
  int stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir);
    DiagLog log;
    log.Attach();
    TArMastd store;
    MasterFiles master{dir / "Data", nullptr, log};
    master.encrypt = false;
    JushinSession session;
    JushinPlace place{
        {store, log, dir / "Data", dir / "ATTACH", nullptr}, master, nullptr, nullptr};
    auto socket = MakeQtLineSocket();
    state.ResumeTiming();
    stored = MailJushin(session, place, config, *socket).stored;
  }
  state.counters["stored"] = stored;
  fs::remove_all(dir);
}

void BM_ImapReceive(benchmark::State& state) { Receive(state, MailProtocol::kImap); }
void BM_Pop3Receive(benchmark::State& state) { Receive(state, MailProtocol::kPop3); }

BENCHMARK(BM_ImapReceive)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Pop3Receive)->Unit(benchmark::kMillisecond)->Iterations(5);

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
