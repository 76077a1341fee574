#include "ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/Scratch.h"

extern char** environ;

namespace sorami::sitetest {
namespace {

pid_t Spawn(const std::vector<std::string>& args, posix_spawn_file_actions_t* actions) {
  std::vector<std::string> full = {ServerProgram()};
  full.insert(full.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : full) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + full[0]);
  }
  return pid;
}

}  // namespace

std::string ServerProgram() {
  if (const char* p = std::getenv("SORAMI_SITE_SERVER")) return p;
  // Run by hand from the build tree: the program is built beside the tests.
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  std::filesystem::path p = self.parent_path() / "../../server/sorami-site-server";
  if (!std::filesystem::exists(p)) throw std::runtime_error("SORAMI_SITE_SERVER is not set");
  return p.lexically_normal().string();
}

CommandResult RunServerCommand(const std::vector<std::string>& args,
                               const std::filesystem::path& scratch) {
  const std::string out = (scratch / "cmd.out").string(), err = (scratch / "cmd.err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = Spawn(args, &actions);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  CommandResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = test::ReadFileBytes(out);
  r.err = test::ReadFileBytes(err);
  return r;
}

ServerProcess::ServerProcess(const std::vector<std::string>& args,
                             const std::filesystem::path& logFile) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  const std::string log = logFile.string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  std::vector<std::string> full = {"serve"};
  full.insert(full.end(), args.begin(), args.end());
  pid_ = Spawn(full, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  // The first line ends with the bound address.
  std::string line;
  pollfd p{fds[0], POLLIN, 0};
  while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
    char c[256];
    ssize_t n = read(fds[0], c, sizeof c);
    if (n <= 0) break;
    line.append(c, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  std::size_t nl = line.find('\n');
  std::size_t sp = line.rfind(' ', nl);
  if (nl == std::string::npos || sp == std::string::npos) {
    Kill();
    throw std::runtime_error("the server did not announce its address: " + line);
  }
  address_ = line.substr(sp + 1, nl - sp - 1);
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

void ServerProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace sorami::sitetest
