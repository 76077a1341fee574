// sorami-cli fetch as a user runs it against the reference site service: killed at any moment
// it loses nothing the site handed over, and a save that fails says why, exits 1 and leaves
// the messages on the site for the next fetch, as does a store that cannot be read. Killed during
// its attachments' downloads it keeps the records and the next fetch brings every file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <regex>
#include <set>

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
    world.AddAccount("taro", test::kTaro);
    Login(test::kHanako);
  }
  std::string Cli(const std::string& args, int& status) {
    return world.Cli("taro", args, status, &err);
  }
  std::filesystem::path app() { return world.AppDir("taro"); }
  std::filesystem::path cfg() { return world.ConfigDir("taro"); }

  // The number of records the command line finds in たろう's store.
  int StoredCount() {
    int rc = 0;
    const std::string out = Cli("master stats", rc);
    const std::string key = "\"count\": ";
    const size_t at = out.find(key);
    if (rc != 0 || at == std::string::npos) return -1;
    return std::atoi(out.c_str() + at + key.size());
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
    const size_t deletes = world.Logged("GETDEL");
    const pid_t pid = StartFetch();
    ASSERT_GT(pid, 0);
    if (run % 2 == 0) {
      ::usleep(static_cast<useconds_t>(pause_us(random)));
    } else {
      // Killed the moment the site answered a "GETDEL": the riskiest moment of all.
      for (int i = 0;
           i < 20000 && world.Logged("GETDEL") == deletes && ::waitpid(pid, nullptr, WNOHANG) == 0;
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

TEST_F(CliFetch, AStoreThatCannotBeReadIsNeverFetchedIntoAndTheMessagesStayOnTheSite) {
  ASSERT_TRUE(Send("たろう%広場", "待つ", "body", "2030/05/02 10:00:00")) << Cp932ToUtf8(msg);
  // The store is read while the site answers: a damaged file must still stop the fetch.
  const std::filesystem::path damaged = app() / "Data" / "Master.enc";
  const std::string bytes(300, '\x5a');
  test::WriteFileBytes(damaged, bytes);
  const size_t deletes = world.Logged("GETDEL");
  int rc = 0;
  const std::string out = Cli("fetch", rc);
  EXPECT_EQ(rc, 1) << out;
  EXPECT_NE(err.find("暗号復号失敗"), std::string::npos) << err;
  EXPECT_EQ(test::ReadFileBytes(damaged), bytes);  // neither saved over nor set aside
  EXPECT_FALSE(std::filesystem::exists(app() / "Data" / "Master.dat"));
  EXPECT_EQ(world.Logged("GETDEL"), deletes);

  std::filesystem::remove(damaged);
  Cli("fetch", rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_EQ(StoredCount(), 1);
}

// たろう's attachments: the record is saved first with its files waiting, so a fetch killed
// during the downloads loses nothing and the next brings the files; a download that fails is
// named, exits 1, and "attachments N --download" fetches it once the cause is gone.
class CliTenpu : public CliFetch {
 protected:
  std::filesystem::path Attach() { return app() / "ATTACH"; }

  // Message n with two files, large enough that downloading them takes a while; each file
  // ends in its message's number.
  void SendWithFiles(int n) {
    test::WriteFileBytes(dir / "photo.bin", std::string(300000, 'p') + std::to_string(n));
    test::WriteFileBytes(dir / "memo.txt", "memo " + std::to_string(n));
    st->site.send_attachments = {dir / "photo.bin", dir / "memo.txt"};
    char date[32];
    std::snprintf(date, sizeof date, "2030/06/01 10:%02d:%02d", n / 60, n % 60);
    ASSERT_TRUE(Send("たろう%広場", "files " + std::to_string(n), "b", date)) << Cp932ToUtf8(msg);
  }

  // The files record r lists, as "attachments r" reports them: path and whether present.
  std::vector<std::pair<std::string, bool>> Files(int r, const std::string& extra = "") {
    const std::string out = Cli("attachments " + std::to_string(r) + extra, status);
    std::vector<std::pair<std::string, bool>> files;
    const std::regex line(R"re("path": "([^"]*)", "exists": (true|false)\})re");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) {
      files.emplace_back((*it)[1].str(), (*it)[2].str() == "true");
    }
    return files;
  }

  int status = 0;
};

TEST_F(CliTenpu, KilledDuringItsDownloadsAFetchKeepsTheRecordAndTheNextBringsTheFiles) {
  constexpr int kRuns = 24;
  std::mt19937 random(2203);
  std::uniform_int_distribution<int> pause_us(0, 300 * 1000);
  for (int run = 0; run < kRuns; ++run) {
    SendWithFiles(run);
    const pid_t pid = StartFetch();
    ASSERT_GT(pid, 0);
    ::usleep(static_cast<useconds_t>(pause_us(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  int rc = 0;
  Cli("fetch", rc);  // run to its end: the records left and every waiting file
  ASSERT_EQ(rc, 0) << err;

  std::set<std::string> numbers;
  for (int r = 0; r < kRuns; ++r) {
    const auto files = Files(r);
    ASSERT_EQ(files.size(), 2u) << "record " << r;
    const std::string photo = test::ReadFileBytes(files[0].first);
    const std::string memo = test::ReadFileBytes(files[1].first);
    ASSERT_TRUE(files[0].second && files[1].second) << "record " << r;
    EXPECT_EQ(photo.substr(0, 300000), std::string(300000, 'p'));
    EXPECT_EQ(memo, "memo " + photo.substr(300000));  // both files of one message
    numbers.insert(photo.substr(300000));
  }
  EXPECT_EQ(numbers.size(), static_cast<size_t>(kRuns));  // every message, each once
  Files(kRuns);
  EXPECT_EQ(status, 1);  // and no more records
  for (const auto& e : std::filesystem::directory_iterator(Attach())) {
    EXPECT_NE(e.path().filename().string()[0], '.') << "left behind: " << e.path();
  }
}

TEST_F(CliTenpu, AFailedDownloadIsNamedExitsOneAndIsFetchedAgainOnRequest) {
  SendWithFiles(7);
  test::WriteFileBytes(Attach(), "not a directory");  // no file can be written there
  int rc = 0;
  const std::string out = Cli("fetch", rc);
  EXPECT_EQ(rc, 1) << out;
  EXPECT_NE(out.find("添付ファイル取得失敗 : photo_"), std::string::npos) << out;
  auto files = Files(0);  // the message is stored all the same, its files missing
  ASSERT_EQ(files.size(), 2u);
  EXPECT_FALSE(files[0].second || files[1].second);

  Files(0, " --download");
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("添付ファイル取得失敗 : photo_"), std::string::npos) << err;

  std::filesystem::remove(Attach());
  files = Files(0, " --download");
  EXPECT_EQ(status, 0) << err;
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(files[0].second && files[1].second);
  EXPECT_EQ(test::ReadFileBytes(files[1].first), "memo 7");
}

}  // namespace
}  // namespace sorami
