// The address list's file, Data/SendList.dat: one line per entry, "name TAB address TAB
// relation" CR LF, in list order. Read when the main window is first shown, written when it
// closes (right after the master file).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/DiagLog.h"
#include "compose/Addresses.h"

namespace sorami {

// Replaces entries with the file's; "Cannot Read : " and the path (entries left) on failure.
bool ReadSendList(std::vector<AddressEntry>& entries, const std::filesystem::path& data_dir,
                  DiagLog& log, std::string& msg);
// Writes every entry, whole or not at all; "Cannot Write: " and the path on failure.
bool SaveSendList(const std::vector<AddressEntry>& entries, const std::filesystem::path& data_dir,
                  DiagLog& log, std::string& msg);

}  // namespace sorami
