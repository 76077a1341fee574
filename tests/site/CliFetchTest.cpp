// sorami-cli fetch as a user runs it against the reference site service: killed at any moment
// it loses nothing the site handed over, and a save that fails says why, exits 1 and leaves
// the messages on the site for the next fetch.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "platform/Codepage.h"
#include "site/LiveServerFixture.h"
#include "support/Cli.h"

namespace sorami {
namespace {

// The reference service of the live tests; はなこ sends in-process, たろう fetches with the
// command line on directories of his own.
class CliFetch : public test::LiveServer {
 protected:
  void SetUp() override {
    if (!test::HaveCli()) GTEST_SKIP() << "SORAMI_CLI is not set";
    LiveServer::SetUp();
    int rc = 0;
    Cli("account add 広場 たろう 'taro pw%'", rc);
    ASSERT_EQ(rc, 0) << err;
    Login("はなこ", "hana");
  }
  std::string Cli(const std::string& args, int& status) {
    return test::RunCli("--directory-host " + server_->address() + " " + args, app(), cfg(), status,
                        &err);
  }
  std::filesystem::path app() { return dir / "taro" / "app"; }
  std::filesystem::path cfg() { return dir / "taro" / "cfg"; }

  // The number of records the command line finds in たろう's store.
  int StoredCount() {
    int rc = 0;
    const std::string out = Cli("master stats", rc);
    const std::string key = "\"count\": ";
    const size_t at = out.find(key);
    if (rc != 0 || at == std::string::npos) return -1;
    return std::atoi(out.c_str() + at + key.size());
  }

  // How many "GETDEL" requests the service has logged.
  size_t Deletes() {
    const std::string log = test::ReadFileBytes(dir / "server.log");
    size_t n = 0;
    for (size_t at = log.find("GETDEL"); at != std::string::npos; at = log.find("GETDEL", at + 1)) {
      ++n;
    }
    return n;
  }

  // Starts "sorami-cli fetch" for たろう; its output is dropped.
  pid_t StartFetch() {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("SORAMI_HOME", app().c_str(), 1);
      ::setenv("SORAMI_CONFIG_HOME", cfg().c_str(), 1);
      ::freopen("/dev/null", "w", stdout);
      ::freopen("/dev/null", "w", stderr);
      const char* cli = std::getenv("SORAMI_CLI");
      ::execl(cli, cli, "fetch", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return pid;
  }

  std::string err;
};

TEST_F(CliFetch, KilledAtAnyMomentItLosesNothingTheSiteHandedOver) {
  constexpr int kRuns = 30;
  constexpr int kPerRun = 3;
  std::mt19937 random(22);
  std::uniform_int_distribution<int> pause_us(0, 400 * 1000);
  int sent = 0;
  for (int run = 0; run < kRuns; ++run) {
    for (int k = 0; k < kPerRun; ++k, ++sent) {
      char date[32];
      std::snprintf(date, sizeof date, "2030/04/01 10:%02d:%02d", sent / 60, sent % 60);
      ASSERT_TRUE(Send("たろう%広場", "message " + std::to_string(sent), "body", date))
          << Cp932ToUtf8(msg);
    }
    const size_t deletes = Deletes();
    const pid_t pid = StartFetch();
    ASSERT_GT(pid, 0);
    if (run % 2 == 0) {
      ::usleep(static_cast<useconds_t>(pause_us(random)));
    } else {
      // Killed the moment the site answered a "GETDEL": the riskiest moment of all.
      for (int i = 0; i < 20000 && Deletes() == deletes && ::waitpid(pid, nullptr, WNOHANG) == 0;
           ++i) {
        ::usleep(250);
      }
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  int rc = 0;
  Cli("fetch", rc);  // one run to its end brings whatever the killed ones left on the site
  ASSERT_EQ(rc, 0) << err;
  EXPECT_EQ(StoredCount(), sent);
}

TEST_F(CliFetch, ASaveThatFailsSaysWhyExitsOneAndLeavesTheMessagesOnTheSite) {
  ASSERT_TRUE(Send("たろう%広場", "長い", std::string(20000, 'x'), "2030/05/01 10:00:00"))
      << Cp932ToUtf8(msg);
  // The file-size limit makes writing the store fail as a full disk would.
  const std::string limited = "trap '' XFSZ; ulimit -f 8; SORAMI_HOME='" + app().string() +
                              "' SORAMI_CONFIG_HOME='" + cfg().string() + "' '" +
                              std::getenv("SORAMI_CLI") + "' fetch 2>&1";
  FILE* p = ::popen(limited.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  EXPECT_EQ(WEXITSTATUS(::pclose(p)), 1) << out;
  EXPECT_NE(out.find("保存失敗 : File too large ("), std::string::npos) << out;

  int rc = 0;
  Cli("fetch", rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_EQ(StoredCount(), 1);
}

}  // namespace
}  // namespace sorami
