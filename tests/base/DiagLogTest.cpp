#include <gtest/gtest.h>

#include "base/DiagLog.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

std::time_t At(int mon, int day, int h, int m, int s) {
  std::tm tm{};
  tm.tm_year = 126;
  tm.tm_mon = mon - 1;
  tm.tm_mday = day;
  tm.tm_hour = h;
  tm.tm_min = m;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

TEST(DiagLog, LinesCarryTheLocalTimeAndSplitAtLineBreaks) {
  DiagLog log([] { return At(3, 7, 9, 5, 2); });
  log.Attach();
  log.AddLog("ReadMaster");
  log.AddLog("a\r\nb\nc");
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"MemoLog", "03/07 09:05:02 ReadMaster",
                                                   "03/07 09:05:02 a", "b", "c"}));
}

TEST(DiagLog, DropsLinesBeforeTheWindowExistsAndWhileSuspended) {
  DiagLog log;
  std::vector<std::string> seen;
  log.SetListener({[&](const std::string& l) { seen.push_back(l); }, nullptr});
  log.Log("during creation");
  log.Attach();
  log.SetSuspended(true);
  log.Log("suspended");
  log.SetSuspended(false);
  log.Log("kept");
  ASSERT_EQ(log.lines().size(), 2u);
  EXPECT_EQ(log.lines()[1].substr(15), "kept");
  EXPECT_EQ(seen, std::vector<std::string>{log.lines()[1]});
}

TEST(DiagLog, LoggingNeverFailsTheCaller) {
  DiagLog log;
  log.Attach();
  log.SetListener({[](const std::string&) { throw std::runtime_error("window gone"); }, nullptr});
  EXPECT_NO_THROW(log.Log("x"));
}

}  // namespace
}  // namespace sorami
