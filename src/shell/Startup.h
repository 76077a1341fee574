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
  PathOptions paths;  // --appdir DIR, --config DIR
};

// Takes the common options (--appdir DIR, --config DIR, also as --appdir=DIR) out of args,
// leaving the rest in order. False with an error text on a malformed option.
bool TakeCommonOptions(std::vector<std::string>& args, CommonOptions& options,
                       std::string& error);

// The state of a run: paths resolved, the encryption key beside the settings, core settings
// read.
std::unique_ptr<AppState> MakeAppState(const CommonOptions& options);

}  // namespace sorami
