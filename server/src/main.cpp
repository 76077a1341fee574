// sorami-site-server: the reference site service of ソラミメッセージ (directory server and
// site hosts in one program) and its administration commands.
#include <malloc.h>
#include <sorami/Version.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <thread>

#include "Admin.h"
#include "Args.h"
#include "Db.h"
#include "Service.h"
#include "Throttle.h"

namespace {

using namespace sorami::site;

const char* const kUsage =
    "usage:\n"
    "  sorami-site-server serve --db FILE --listen 127.0.0.1:PORT [--public-host HOST:PORT]\n"
    "                           [--smtp-relay HOST:PORT] [--attachment-lifetime SECONDS]\n"
    "                           [--member-failures N] [--address-failures N]\n"
    "                           [--failure-delay SECONDS] [--claims-per-hour N]\n"
    "                           [--workers N] [--connections-per-address N]\n"
    "                           [--header-timeout SECONDS] [--body-timeout SECONDS]\n"
    "  sorami-site-server init --db FILE\n"
    "  sorami-site-server addsite SITE --host H:P --user SYSUSER [--dynamic PREFIX$KEY]\n"
    "                             [--public] --db FILE\n"
    "  sorami-site-server adduser SITE NICK PASS --db FILE\n"
    "  sorami-site-server setdyn KEY H:P --db FILE\n"
    "  sorami-site-server notice TEXT --db FILE\n"
    "  sorami-site-server list --db FILE\n"
    "  sorami-site-server claims --db FILE\n"
    "PORT 0 picks a free port. With --public-host, this instance serves only the sites whose\n"
    "host is that address (port 0 there means the bound port). Attachments stay open for\n"
    "--attachment-lifetime seconds after their message was first fetched (default 86400).\n"
    "After --member-failures wrong passwords for one member (default 5) or --address-failures\n"
    "from one address (default 20), each further login waits --failure-delay seconds (default\n"
    "2), doubled after every further failure. One address may file --claims-per-hour claim\n"
    "reports (default 10). --workers connections are served at once (default 64), at most\n"
    "--connections-per-address from one address (default 16); a request's line and headers\n"
    "must arrive within --header-timeout seconds (default 10), its body and its answer each\n"
    "within --body-timeout seconds (default 30) and one more for every 64 KiB.\n";

int Serve(const Args& args) {
  Config config{args.Option("db"), args.Option("public-host"), args.Option("smtp-relay")};
  std::string host;
  int port = 0;
  std::optional<std::int64_t> lifetime = args.Number("attachment-lifetime", 24 * 60 * 60);
  std::optional<std::int64_t> memberFailures = args.Number("member-failures", 5, 1);
  std::optional<std::int64_t> addressFailures = args.Number("address-failures", 20, 1);
  std::optional<std::int64_t> failureDelay = args.Number("failure-delay", 2, 1);
  std::optional<std::int64_t> claims = args.Number("claims-per-hour", 10);
  std::optional<std::int64_t> workers = args.Number("workers", 64, 1);
  std::optional<std::int64_t> perAddress = args.Number("connections-per-address", 16, 1);
  std::optional<std::int64_t> headerTimeout = args.Number("header-timeout", 10, 1);
  std::optional<std::int64_t> bodyTimeout = args.Number("body-timeout", 30, 1);
  if (config.dbPath.empty() || !SplitHostPort(args.Option("listen"), host, port, true) ||
      !lifetime || !memberFailures || !addressFailures || !failureDelay || !claims || !workers ||
      !perAddress || !headerTimeout || !bodyTimeout) {
    std::cerr << kUsage;
    return 2;
  }
  config.attachmentLifetime = *lifetime;
  ConfigureGuards({static_cast<int>(*memberFailures), static_cast<int>(*addressFailures),
                   *failureDelay, static_cast<int>(*claims)});
  try {
    if (!std::filesystem::exists(config.dbPath)) {
      std::cerr << "serve: no database at " << config.dbPath << "; run init first\n";
      return 1;
    }
    Db db(config.dbPath);
    if (!db.HasSchema()) {
      std::cerr << "serve: " << config.dbPath << " is not initialised; run init first\n";
      return 1;
    }
    db.Upgrade();
  } catch (const std::exception& e) {
    std::cerr << "serve: " << e.what() << "\n";
    return 1;
  }
  // SIGINT and SIGTERM end the server cleanly; they are taken by a thread of their own.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  // A fetch answer is megabytes, made afresh for every request: what one answer freed is kept
  // for the next instead of going back to the system and being faulted in again page by page.
  // The worker threads share one heap, so the next request finds it whichever worker takes it
  // (a per-thread heap gives its free memory back as it shrinks).
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);

  Service service(config, {static_cast<int>(*workers), static_cast<int>(*perAddress),
                           *headerTimeout, *bodyTimeout});
  std::string error;
  int bound = service.Bind(host, port, error);
  if (bound < 0) {
    std::cerr << "serve: cannot listen on " << args.Option("listen") << ": " << error << "\n";
    return 1;
  }
  service.SetBoundPort(bound);
  std::cout << "sorami-site-server listening on " << host << ":" << bound << std::endl;
  std::thread stopper([&] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    service.Stop();
  });
  bool ok = service.Run();
  if (ok) {
    stopper.join();
  } else {
    stopper.detach();
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // The two requests a packager or an administrator makes first, before any command.
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "sorami-site-server (ソラミメッセージ) " << SORAMI_VERSION << "\n";
    return 0;
  }
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  std::string error;
  std::optional<Args> args = ParseArgs(argc, argv, error);
  if (!args) {
    std::cerr << error << "\n" << kUsage;
    return 2;
  }
  if (args->command == "serve") return Serve(*args);
  if (IsAdminCommand(args->command)) return RunAdmin(*args, std::cout, std::cerr);
  std::cerr << kUsage;
  return 2;
}
