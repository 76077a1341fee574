// Attachments of received messages through the command line against the reference service:
// the record is saved first with its files waiting, so a fetch killed during the downloads
// loses nothing and the next fetch brings the files; a download that fails is named, exits 1,
// and "attachments N --download" fetches it once the cause is gone.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <regex>
#include <set>

#include "platform/Codepage.h"
#include "site/LiveServerFixture.h"
#include "support/Cli.h"

namespace sorami {
namespace {

class CliTenpu : public test::LiveServer {
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
    return test::RunCli("--directory-host " + server_->address() + " " + args, dir / "taro" / "app",
                        dir / "taro" / "cfg", status, &err);
  }
  std::filesystem::path Attach() { return dir / "taro" / "app" / "ATTACH"; }

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
    int rc = 0;
    const std::string out = Cli("attachments " + std::to_string(r) + extra, rc);
    status = rc;
    std::vector<std::pair<std::string, bool>> files;
    const std::regex line(R"re("path": "([^"]*)", "exists": (true|false)\})re");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) {
      files.emplace_back((*it)[1].str(), (*it)[2].str() == "true");
    }
    return files;
  }

  std::string err;
  int status = 0;
};

TEST_F(CliTenpu, KilledDuringItsDownloadsAFetchKeepsTheRecordAndTheNextBringsTheFiles) {
  constexpr int kRuns = 24;
  std::mt19937 random(2203);
  std::uniform_int_distribution<int> pause_us(0, 300 * 1000);
  for (int run = 0; run < kRuns; ++run) {
    SendWithFiles(run);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("SORAMI_HOME", (dir / "taro" / "app").c_str(), 1);
      ::setenv("SORAMI_CONFIG_HOME", (dir / "taro" / "cfg").c_str(), 1);
      ::freopen("/dev/null", "w", stdout);
      ::freopen("/dev/null", "w", stderr);
      const char* cli = std::getenv("SORAMI_CLI");
      ::execl(cli, cli, "fetch", static_cast<char*>(nullptr));
      ::_exit(127);
    }
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
