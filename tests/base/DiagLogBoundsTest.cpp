// The diagnostic log's bounds: the recent lines kept, a long text cut with a note.
#include <gtest/gtest.h>

#include <string>

#include "base/DiagLog.h"

namespace sorami {
namespace {

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
