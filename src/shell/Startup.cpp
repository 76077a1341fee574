#include "shell/Startup.h"

#include <sorami/Version.h>

#include "platform/Codepage.h"
#include "platform/PasswordVault.h"

namespace sorami {

bool TakeCommonOptions(std::vector<std::string>& args, CommonOptions& options, std::string& error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string>* target = nullptr;
    std::string name;
    if (a == "--appdir" || a.rfind("--appdir=", 0) == 0) {
      target = &options.paths.app_dir;
      name = "--appdir";
    } else if (a == "--config" || a.rfind("--config=", 0) == 0) {
      target = &options.paths.config_dir;
      name = "--config";
    } else if (a == "--directory-host" || a.rfind("--directory-host=", 0) == 0) {
      target = &options.directory_host;
      name = "--directory-host";
    }
    if (target == nullptr) {
      rest.push_back(a);
      continue;
    }
    if (a.size() > name.size()) {
      *target = a.substr(name.size() + 1);
    } else if (i + 1 < args.size()) {
      *target = args[++i];
    } else {
      error = name + " needs a value";
      return false;
    }
    if ((*target)->empty()) {
      error = name + " needs a value";
      return false;
    }
  }
  args = std::move(rest);
  return true;
}

std::unique_ptr<AppState> MakeAppState(const CommonOptions& options) {
  auto st = MakeLocalAppState(options);
  ConnectAppState(*st);
  return st;
}

std::unique_ptr<AppState> MakeLocalAppState(const CommonOptions& options) {
  const auto exe_dir = ExecutableDir();
  AppPaths paths = ResolveAppPaths(options.paths, exe_dir);
  KeepPrivate({paths.DataDir(), paths.AttachDir()});
  auto crypto = MakeSodiumFileCrypto(paths.KeyFile());
  auto st = std::make_unique<AppState>(std::move(paths), std::move(crypto));
  if (auto installed = InstalledHelpDir(exe_dir); !installed.empty() && !st->paths.portable) {
    st->help_dir = installed;
    st->doc_root = PathText(installed);
  }
  if (options.directory_host) {
    st->site.directory_host = *options.directory_host;
  } else if (auto env = ProcessEnv("SORAMI_DIRECTORY_HOST"); env && !env->empty()) {
    st->site.directory_host = *env;
  }
  st->LoadCoreSettings();
  return st;
}

void ConnectAppState(AppState& st) {
  st.site.http = MakeQtHttpClient();
  OpenPasswordVault(st);
}

void OpenPasswordVault(AppState& st) {
  if (st.paths.portable) {
    st.log.Log("Passwords : in the files (portable copy)");
    return;
  }
  std::string reason;
  auto vault = OpenDesktopKeyring(SORAMI_APP_ID, reason);
  if (!vault) {
    st.log.Log("Passwords : in the files (" + Utf8ToCp932(reason) + ")");
    return;
  }
  st.passwords.Use(std::move(vault), PathText(st.paths.config_dir));
  st.log.Log("Passwords : in the desktop's keyring");
}

}  // namespace sorami
