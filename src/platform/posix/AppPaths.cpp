#include "platform/AppPaths.h"

#include <sys/stat.h>

#include <cstdlib>
#include <system_error>

namespace sorami {

namespace {

// SORAMI_HELP_FROM_BINDIR: the installed help topics relative to the folder of the installed
// programs, set by packaging/CMakeLists.txt from the install layout.
#ifndef SORAMI_HELP_FROM_BINDIR
#error "SORAMI_HELP_FROM_BINDIR is not defined (packaging/CMakeLists.txt defines it)"
#endif

std::filesystem::path Absolute(const std::string& p) {
  std::error_code ec;
  auto abs = std::filesystem::absolute(p, ec);
  return ec ? std::filesystem::path(p) : abs.lexically_normal();
}

std::filesystem::path XdgDir(const EnvLookup& env, const char* var, const char* fallback) {
  if (auto v = env(var); v && !v->empty()) return std::filesystem::path(*v) / "sorami";
  const auto home = env("HOME");
  return std::filesystem::path(home && !home->empty() ? *home : "/tmp") / fallback / "sorami";
}

}  // namespace

std::optional<std::string> ProcessEnv(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr) return std::nullopt;
  return std::string(v);
}

AppPaths ResolveAppPaths(const PathOptions& options, const std::filesystem::path& exe_dir,
                         const EnvLookup& env) {
  AppPaths paths;
  if (options.app_dir && !options.app_dir->empty()) {
    paths.app_dir = Absolute(*options.app_dir);
  } else if (auto home = env("SORAMI_HOME"); home && !home->empty()) {
    paths.app_dir = Absolute(*home);
  } else if (std::error_code ec;
             !exe_dir.empty() && std::filesystem::is_directory(exe_dir / "Data", ec)) {
    paths.app_dir = exe_dir;
    paths.portable = true;
  } else {
    paths.app_dir = XdgDir(env, "XDG_DATA_HOME", ".local/share");
  }
  if (options.config_dir && !options.config_dir->empty()) {
    paths.config_dir = Absolute(*options.config_dir);
  } else if (auto cfg = env("SORAMI_CONFIG_HOME"); cfg && !cfg->empty()) {
    paths.config_dir = Absolute(*cfg);
  } else if (paths.portable) {
    paths.config_dir = paths.DataDir() / "Settings";
  } else {
    paths.config_dir = XdgDir(env, "XDG_CONFIG_HOME", ".config");
  }
  return paths;
}

std::filesystem::path InstalledHelpDir(const std::filesystem::path& exe_dir) {
  if (exe_dir.empty()) return {};
  const auto dir = (exe_dir / SORAMI_HELP_FROM_BINDIR).lexically_normal();
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

std::filesystem::path ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

void KeepPrivate(const std::vector<std::filesystem::path>& dirs) {
  ::umask(077);
  namespace fs = std::filesystem;
  const auto tighten = [](const fs::path& p, fs::perms wanted) {
    std::error_code ec;
    const fs::file_status s = fs::symlink_status(p, ec);
    if (ec || fs::is_symlink(s)) return;  // a link's target is not ours to change
    if ((s.permissions() & (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none) {
      return;
    }
    fs::permissions(p, wanted, ec);
  };
  for (const fs::path& dir : dirs) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) continue;
    tighten(dir, fs::perms::owner_all);
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const bool is_dir = it->is_directory(ec);
      tighten(it->path(),
              is_dir ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    }
  }
}

}  // namespace sorami
