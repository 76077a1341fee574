#include "RequestLog.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "Text.h"

namespace sorami::site {
namespace {

// Keeps a log line on one line whatever the request carried.
std::string OneLine(std::string_view cp932) {
  std::string s = ToUtf8(cp932);
  for (char& c : s) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return s.empty() ? "-" : s;
}

}  // namespace

void LogRequest(std::string_view program, std::string_view command, std::string_view member,
                std::string_view outcome) {
  static std::mutex mutex;
  std::string line = Now() + " " + OneLine(program) + " " + OneLine(command) + " " +
                     OneLine(member) + " " + OneLine(outcome) + "\n";
  std::lock_guard lock(mutex);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace sorami::site
