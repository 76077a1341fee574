#include <gtest/gtest.h>

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
