// Where the program keeps its data and its settings.
//
// Application directory (holds "Data" and "ATTACH"): --appdir, else SORAMI_HOME, else the
// executable's directory when a "Data" folder stands beside it (portable mode), else
// $XDG_DATA_HOME/sorami or ~/.local/share/sorami.
// Configuration directory (the settings store and the encryption key): --config, else
// SORAMI_CONFIG_HOME, else in portable mode "Data/Settings" beside the executable (a portable
// copy carries its settings and key with it), else $XDG_CONFIG_HOME/sorami or ~/.config/sorami.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sorami {

struct AppPaths {
  std::filesystem::path app_dir;
  std::filesystem::path config_dir;
  bool portable = false;

  std::filesystem::path DataDir() const { return app_dir / "Data"; }
  std::filesystem::path AttachDir() const { return app_dir / "ATTACH"; }
  std::filesystem::path KeyFile() const { return config_dir / "master.key"; }
};

struct PathOptions {
  std::optional<std::string> app_dir;
  std::optional<std::string> config_dir;
};

using EnvLookup = std::function<std::optional<std::string>(const char*)>;
std::optional<std::string> ProcessEnv(const char* name);

AppPaths ResolveAppPaths(const PathOptions& options, const std::filesystem::path& exe_dir,
                         const EnvLookup& env = ProcessEnv);
// Keeps what the program writes private to the user: files and folders it creates from now on
// are readable by the user alone (0600 / 0700), and the folders given, everything in them and
// the folders themselves are made so if they are not (they hold messages, mail, attachments
// and logs).
void KeepPrivate(const std::vector<std::filesystem::path>& dirs);

// Directory of the running executable.
std::filesystem::path ExecutableDir();
// The help topics of an installed program run from exe_dir: "../share/sorami/help" from it
// (as the build's install layout says), when that folder exists; else empty (a build tree).
std::filesystem::path InstalledHelpDir(const std::filesystem::path& exe_dir);

}  // namespace sorami
