#include <gtest/gtest.h>

#include <string>

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

DiagLog Attached() {
  DiagLog log([] { return std::time_t{0}; });
  log.Attach();
  return log;
}

TEST(DiagLogBounds, ALongRunKeepsTheNewestLinesInOrderAndDropsTheOldest) {
  DiagLog log = Attached();
  size_t heard = 0;
  log.SetListener({[&](const std::string&) { ++heard; }, nullptr});
  const size_t total = DiagLog::kKeptLines * 3 + 7;
  const size_t prefix = DiagLog::TimePrefix(0).size();
  for (size_t i = 0; i < total; ++i) log.Log(std::to_string(i));
  EXPECT_EQ(heard, total);  // the window hears every line
  const auto& lines = log.lines();
  ASSERT_GE(lines.size(), DiagLog::kKeptLines);
  EXPECT_LE(lines.size(), DiagLog::kKeptLines + DiagLog::kKeptLines / 4);
  // The kept lines are the last ones logged, none lost in between.
  for (size_t k = 0; k < lines.size(); ++k) {
    ASSERT_EQ(lines[k].substr(prefix), std::to_string(total - lines.size() + k)) << k;
  }
}

TEST(DiagLogBounds, AHeadAndTextLogAsTheirJoinAndALongTextIsCutWithWhatWasLeftOut) {
  DiagLog joined = Attached();
  DiagLog parts = Attached();
  joined.Log("value:line one\r\nline two\nthree\r\n");
  parts.Log("value:", "line one\r\nline two\nthree\r\n");
  EXPECT_EQ(parts.lines(), joined.lines());
  EXPECT_EQ(parts.lines().size(), 5u);  // "MemoLog", three lines, the empty one after the end

  DiagLog log = Attached();
  std::string answer;
  while (answer.size() < 3 * DiagLog::kMaxTextBytes) answer += "1\tmessage line\t2026/12/07\r\n";
  log.Log("value:", answer);
  size_t kept = 0;
  for (size_t k = 1; k + 1 < log.lines().size(); ++k) kept += log.lines()[k].size();
  EXPECT_LE(kept, DiagLog::kMaxTextBytes + DiagLog::TimePrefix(0).size());
  EXPECT_GT(kept, DiagLog::kMaxTextBytes / 2);
  const size_t left_out = answer.size() + 6 - DiagLog::kMaxTextBytes;
  EXPECT_EQ(log.lines().back(), "... (" + std::to_string(left_out) + " bytes more)");
}

}  // namespace
}  // namespace sorami
