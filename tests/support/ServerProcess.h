// Runs sorami-site-server for the tests: administrative commands to completion, and `serve`
// as a background process whose bound address is read from its first line of output.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace sorami::test {

struct CommandResult {
  int exitCode = -1;
  std::string out, err;
};

// Runs the server program (SORAMI_SITE_SERVER) with the arguments and waits for it; output is
// captured through files in `scratch`. With a limit, a program still running after that many
// seconds is killed and reported with exit code -1.
CommandResult RunServerCommand(const std::vector<std::string>& args,
                               const std::filesystem::path& scratch, int limitSeconds = 0);

class ServerProcess {
 public:
  // Starts `serve` with the arguments; stderr (the request log) goes to logFile.
  ServerProcess(const std::vector<std::string>& args, const std::filesystem::path& logFile);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // "127.0.0.1:PORT" as the server announced it.
  const std::string& address() const { return address_; }
  // Ends the process at once (as a crashed or unplugged host would).
  void Kill();
  // Freezes the process (SIGSTOP) and lets it go on (SIGCONT): a host that takes a request and
  // hangs. The kernel still accepts connections and takes their bytes while it is frozen.
  void Pause();
  void Resume();

 private:
  void Stop(int signal);
  pid_t pid_ = -1;
  std::string address_;
};

}  // namespace sorami::test
