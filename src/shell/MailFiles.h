// Mail files as the windows and the command line move them: a folder exported to an mbox
// file, an mbox file imported into the inbox, a record's mail file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "mail/MailExport.h"
#include "shell/AppState.h"

namespace sorami {

// Exports a folder (code page 932 name) of the store.
ExportOutcome ExportFolder(AppState& st, std::string_view folder,
                           const std::filesystem::path& file);

// Imports an mbox file into the inbox and saves the store; refused (msg says why) while another
// exchange with a server runs.
ImportOutcome ImportMailFile(AppState& st, const std::filesystem::path& file);

// The mail file of a record: its original, or a plain-text mail made of its texts.
std::string MailFileOf(AppState& st, int32_t row);

}  // namespace sorami
