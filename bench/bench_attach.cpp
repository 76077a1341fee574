// Attachment benchmarks: downloading a 20 MB attachment from the reference site service on
// loopback (the fetch's download, streamed to disk) against curl fetching the same URL, with
// the growth of the process's peak memory during the download; and the naming of a received
// file when 1,000 files of the same name are already in the attachment directory.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/Codepage.h"
#include "shell/ConnectionCheck.h"
#include "shell/SiteFetch.h"
#include "site/SendHttp.h"
#include "site/TenpuDownload.h"
#include "store/AttachNames.h"
#include "support/ServerProcess.h"

namespace sorami::bench {
namespace {

namespace fs = std::filesystem;

// The process's peak resident memory in kB since the last ResetPeak().
long PeakKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A served site with a 20 MB attachment sent from one member to another; the download's URL.
struct Served {
  Served() {
    dir = fs::temp_directory_path() / "sorami-bench-attach";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string db = (dir / "site.db").string();
    Admin({"init", "--db", db});
    server = std::make_unique<test::ServerProcess>(
        std::vector<std::string>{"--db", db, "--listen", "127.0.0.1:0"}, dir / "server.log");
    Admin({"addsite", "広場", "--host", server->address(), "--user", "hiroba", "--public", "--db",
           db});
    Admin({"adduser", "広場", "たろう", "taro", "--db", db});
    Admin({"adduser", "広場", "はなこ", "hana", "--db", db});

    AppPaths paths{dir / "app", dir / "cfg", false};
    st = std::make_unique<AppState>(paths, MakeSodiumFileCrypto(paths.KeyFile()));
    st->master.encrypt = false;
    st->site.http = MakeQtHttpClient();
    st->site.directory_host = server->address();
    Login("はなこ", "hana");
    std::string bytes(20 * 1024 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 12));
    std::ofstream(dir / "big.bin", std::ios::binary) << bytes;
    st->site.send_attachments = {(dir / "big.bin").string()};
    SendHTTP(st->site, SiteRequest::kSendWin, st->cur.host,
             {"COMMAND=SENDWIN", "FROMSITE=" + st->cur.site, "FROMNAME=" + st->cur.nickname,
              "USERPASS=hana", "TONAME=" + Utf8ToCp932("たろう%広場"), "TITLE=big", "HONBUN=b",
              "FROMDATE=2030/03/01 00:00:00"});
    st->site.send_attachments.clear();
    Login("たろう", "taro");
    ShowAccountRow(st->settei, 1);
    FetchHooks hooks;  // only note what to download
    hooks.keep_tenpu = [this](const std::string&, const std::string& u, const std::string& no,
                              std::string&) {
      user = u;
      number = no;
    };
    FetchNewMessages(*st, -1, hooks);
    url = "http://" + server->address() + "/bn/WbTenpu.exe?FILE=big.bin&TOUSER=" + user +
          "&TONO=" + number;
  }
  ~Served() {
    server.reset();
    fs::remove_all(dir);
  }
  void Login(const char* nick, const char* pass) {
    SetEditKairo(st->settei, Utf8ToCp932("広場"));
    SetEditAccount(st->settei, Utf8ToCp932(nick));
    SetEditPassword(st->settei, Utf8ToCp932(pass));
    std::string msg;
    ExecTest(*st, msg);
    RecordCheckedAccount(st->settei, st->log);
  }
  void Admin(const std::vector<std::string>& args) {
    if (test::RunServerCommand(args, dir).exitCode != 0) std::abort();
  }

  fs::path dir;
  std::unique_ptr<test::ServerProcess> server;
  std::unique_ptr<AppState> st;
  std::string user, number, url;
};

Served& World() {
  static Served served;
  return served;
}

void BM_DownloadTenpu(benchmark::State& state) {
  Served& w = World();
  const fs::path attach = w.dir / "ATTACH";
  long growth = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(attach);
    ResetPeak();
    const long before = PeakKb();
    state.ResumeTiming();
    TenpuDownload got;
    std::string msg;
    if (!DownloadTenpu(w.st->site, attach, w.server->address(), w.user, w.number, "big.bin", got,
                       msg)) {
      state.SkipWithError("download failed");
      break;
    }
    state.PauseTiming();
    growth = std::max(growth, PeakKb() - before);
    state.ResumeTiming();
  }
  state.counters["peak_growth_kB"] = static_cast<double>(growth);
  state.SetBytesProcessed(state.iterations() * 20 * 1024 * 1024);
}
BENCHMARK(BM_DownloadTenpu)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurlSameUrl(benchmark::State& state) {
  Served& w = World();
  const std::string cmd = "curl -s -f -o '" + (w.dir / "curl.bin").string() + "' '" + w.url + "'";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("curl failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * 20 * 1024 * 1024);
}
BENCHMARK(BM_CurlSameUrl)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckSameName1000(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "sorami-bench-names";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "x.txt");
  for (int n = 1; n < 1000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "x_%2.2d.txt", n);
    std::ofstream(dir / name);
  }
  DiagLog log;
  for (auto _ : state) {
    std::string name = "x.txt";
    benchmark::DoNotOptimize(CheckSameName(log, dir, name));
    log.Clear();
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_CheckSameName1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorami::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // the HTTP client's event loop
  setenv("SORAMI_SITE_SERVER", SORAMI_SITE_SERVER_PATH, 0);
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  return 0;
}
