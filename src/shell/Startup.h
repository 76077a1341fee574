// What both front ends (the windows and sorami-cli) do at start: read the common options and
// build the process-wide state.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppPaths.h"
#include "shell/AppState.h"

namespace sorami {

struct CommonOptions {
  PathOptions paths;                          // --appdir DIR, --config DIR
  std::optional<std::string> directory_host;  // --directory-host HOST[:PORT]
};

// Takes the common options (--appdir DIR, --config DIR, --directory-host HOST, also written
// --appdir=DIR) out of args,
// leaving the rest in order. False with an error text on a malformed option.
bool TakeCommonOptions(std::vector<std::string>& args, CommonOptions& options, std::string& error);

// The state of a run: paths resolved, the encryption key beside the settings, the directory
// host (--directory-host, else SORAMI_DIRECTORY_HOST, else the built-in name), the HTTP
// client, core settings read. An installed program that is not portable takes its installed
// help topics as the default help directory. The data and attachment folders, and all the
// run writes, are private to the user.
std::unique_ptr<AppState> MakeAppState(const CommonOptions& options);
// MakeAppState in its two steps: the state from the options and the files alone (no Qt
// application needed, nothing reached over the network or the session bus), then the HTTP
// client and the password vault. The windows' start reads the store between the two.
std::unique_ptr<AppState> MakeLocalAppState(const CommonOptions& options);
void ConnectAppState(AppState& st);

// Where the passwords of the settings and the account list are kept from now on: the desktop's
// keyring (the Secret Service on the session D-Bus), unless the copy is portable (its
// passwords travel with it in its files) or the session has no keyring (the files keep them).
// Logs the choice. MakeAppState does this; it needs the Qt application object.
void OpenPasswordVault(AppState& st);

}  // namespace sorami
