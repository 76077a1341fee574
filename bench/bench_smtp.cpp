// Sending a mail with a 5 MiB attachment to the aiosmtpd sink on loopback: SendMail through
// the Qt socket, against msmtp sending the very same message text, side by side in one run.
// Also the building of the message text alone (base64 of the attachment).
//
//   build/release/bench/bench_smtp [--benchmark_repetitions=5]
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "base/DiagLog.h"
#include "mail/SendMail.h"
#include "mail/smtp/MessageText.h"
#include "platform/Codepage.h"
#include "platform/HostName.h"

namespace fs = std::filesystem;

namespace sorami {
namespace {

constexpr size_t kAttachmentBytes = 5 * 1024 * 1024;

// A sink process for the whole run, stored mails removed after each send.
struct Sink {
  fs::path dir;
  pid_t pid = -1;
  int port = 0;

  Sink() {
    dir = fs::temp_directory_path() / ("bench-smtp-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string script =
        (fs::path(SORAMI_SOURCE_DIR) / "tests/mail/servers/smtp_sink.py").string();
    const std::string messages = (dir / "messages").string(), port_file = (dir / "port").string();
    pid = fork();
    if (pid == 0) {
      execl("/usr/bin/python3", "python3", script.c_str(), "--dir", messages.c_str(), "--port-file",
            port_file.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 200 && !fs::exists(port_file); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream(port_file) >> port;
  }
  ~Sink() {
    if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
    fs::remove_all(dir);
  }
  // The mails stored since the last call, removed.
  size_t TakeStored() {
    size_t n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir / "messages", ec)) {
      if (e.path().extension() != ".eml") continue;
      ++n;
      fs::remove(e.path(), ec);
    }
    return n;
  }
};

Sink& TheSink() {
  static Sink sink;
  return sink;
}

fs::path Attachment() {
  static const fs::path path = [] {
    const fs::path p = TheSink().dir / "big.bin";
    std::mt19937 random(7);
    std::string bytes(kAttachmentBytes, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::ofstream(p, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }();
  return path;
}

OutgoingMail Mail() {
  return OutgoingMail{"送信者"_cp932,
                      "sender@example.jp",
                      "",
                      "test@example.jp",
                      "",
                      "",
                      "大きな添付ファイル"_cp932,
                      "添付ファイルを送ります。\r\n"_cp932,
                      {PathText(Attachment())}};
}

void BM_SendMail(benchmark::State& state) {
  Sink& sink = TheSink();
  DiagLog log;
  SmtpConfig config;
  config.host = "127.0.0.1";
  config.port = sink.port;
  config.security = MailSecurity::kNone;
  SendMailContext ctx{log,
                      sink.dir / "Data",
                      LocalHostName(),
                      [](const SmtpConfig&, std::string&) { return MakeQtLineSocket(); },
                      nullptr,
                      {},
                      {}};
  const OutgoingMail mail = Mail();
  for (auto _ : state) {
    std::string result;
    if (!SendMail(mail, config, ctx, result)) state.SkipWithError(Cp932ToUtf8(result).c_str());
    state.PauseTiming();
    if (sink.TakeStored() != 1) state.SkipWithError("the sink did not store the mail");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentBytes));
}

// msmtp sending the message text SendMail builds, so both put the same bytes on the wire.
void BM_Msmtp(benchmark::State& state) {
  Sink& sink = TheSink();
  TVexMsg msg;
  msg.MessageId = "<HKW.2026.12.07.abcdefgh@bench>";
  msg.DateText = "Mon, 7 Dec 2026 10:00:00 +0900";
  msg.JPName = "送信者"_cp932;
  msg.From = "sender@example.jp";
  msg.SendTo = "test@example.jp";
  msg.Subject = "大きな添付ファイル"_cp932;
  msg.CharSet = "ISO-2022-JP";
  msg.Text = {"添付ファイルを送ります。"_cp932};
  msg.Attachments.Add(PathText(Attachment()));
  std::string text, error;
  BuildMessageText(msg, "--_VEX_bound_abcdefghijkl", "Sorami Mail Ver1.00", nullptr, 5, text,
                   error);
  const fs::path eml = sink.dir / "msg.eml";
  std::ofstream(eml, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
  const std::string cmd = "msmtp --host=127.0.0.1 --port=" + std::to_string(sink.port) +
                          " --tls=off --auth=off --from=sender@example.jp test@example.jp < '" +
                          eml.string() + "'";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("msmtp failed");
    state.PauseTiming();
    if (sink.TakeStored() != 1) state.SkipWithError("the sink did not store the mail");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentBytes));
}

void BM_BuildMessageText(benchmark::State& state) {
  TVexMsg msg;
  msg.From = "sender@example.jp";
  msg.SendTo = "test@example.jp";
  msg.CharSet = "ISO-2022-JP";
  msg.Attachments.Add(PathText(Attachment()));
  for (auto _ : state) {
    std::string text, error;
    BuildMessageText(msg, "--_VEX_bound_abcdefghijkl", "x", nullptr, 5, text, error);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentBytes));
}

BENCHMARK(BM_SendMail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Msmtp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildMessageText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorami

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // the socket's event loops
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
