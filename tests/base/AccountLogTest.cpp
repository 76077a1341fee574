#include <gtest/gtest.h>

#include "base/AccountLog.h"

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

}  // namespace
}  // namespace sorami
