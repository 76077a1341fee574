// Runs sorami-cli as a user runs it, when the test run names it in SORAMI_CLI (CTest does).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/Scratch.h"

namespace sorami::test {

inline bool HaveCli() { return std::getenv("SORAMI_CLI") != nullptr; }

// The command's stdout; status gets its exit status, err (when given) its stderr. The
// application and settings directories are app_dir and config_dir.
inline std::string RunCli(const std::string& args, const std::filesystem::path& app_dir,
                          const std::filesystem::path& config_dir, int& status,
                          std::string* err = nullptr, const std::string& stdin_bytes = "") {
  ScratchDir io;
  WriteFileBytes(io / "in", stdin_bytes);
  const std::string cmd = "SORAMI_HOME='" + app_dir.string() + "' SORAMI_CONFIG_HOME='" +
                          config_dir.string() + "' TZ=JST-9 '" + std::getenv("SORAMI_CLI") + "' " +
                          args + " < '" + (io / "in").string() + "' 2>'" + (io / "err").string() +
                          "'";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  status = WEXITSTATUS(pclose(p));
  if (err) *err = ReadFileBytes(io / "err");
  return out;
}

}  // namespace sorami::test
