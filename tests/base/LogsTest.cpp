#include <gtest/gtest.h>

#include "base/AccountLog.h"
#include "base/DiagLog.h"

namespace sorami {
namespace {

// The local time written "yyyy-mm-dd hh:nn:ss".
std::time_t At(const char* when) {
  std::tm tm{};
  strptime(when, "%Y-%m-%d %H:%M:%S", &tm);
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

TEST(AccountLog, LinesAreAlignedColumnsAfterTheTime) {
  AccountLog log([] { return At("2026-01-01 09:08:07"); });
  log.AddLogLine("GET ", "taro", "site", "host:80", "usr", "new 1");
  log.AddLogLine("SEND", "taro", "site", "h", "u", "ignored");
  log.AddLogLine("FEED", std::string(30, 'x'), "s", "long-host-name", "users", "e");
  log.AddLogText("refused");
  ASSERT_EQ(log.lines().size(), 4u);
  EXPECT_EQ(log.lines()[0], "09:08:07 GET  taro%new 1                host:80 usr site");
  EXPECT_EQ(log.lines()[1], "09:08:07 SEND taro                      h       u   site");
  EXPECT_EQ(log.lines()[2], "09:08:07 FEED " + std::string(30, 'x') + "%elong-host-nameuserss");
  EXPECT_EQ(log.lines()[3], "09:08:07 refused");
  log.Clear();
  EXPECT_TRUE(log.lines().empty());
}

TEST(DiagLog, KeepsTimedLinesOnlyOnceTheWindowExistsAndWhileNotSuspendedAndNeverThrows) {
  DiagLog log([] { return At("2026-03-07 09:05:02"); });
  std::vector<std::string> seen;
  log.SetListener({[&](const std::string& l) { seen.push_back(l); }, nullptr});
  log.Log("during creation");
  log.Attach();
  log.AddLog("a\r\nb\nc");
  log.SetSuspended(true);
  log.Log("suspended");
  log.SetSuspended(false);
  log.Log("kept");
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"MemoLog", "03/07 09:05:02 a", "b", "c",
                                                   "03/07 09:05:02 kept"}));
  EXPECT_EQ(seen, std::vector<std::string>(log.lines().begin() + 1, log.lines().end()));
  // Logging never fails the caller, even when the window does.
  log.SetListener({[](const std::string&) { throw std::runtime_error("window gone"); }, nullptr});
  EXPECT_NO_THROW(log.Log("x"));
}

}  // namespace
}  // namespace sorami
