// The master file: reading the store from Data/Master.dat (or its encrypted form
// Master.enc), saving it back, and appending fetched records.
//
// Each routine reports through its result and a message text, and logs its steps.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "shell/AppState.h"

namespace sorami {

std::filesystem::path MasterPath(const AppState& st);

// Replaces the store's contents with the master file; msg "読込完了 :N 件" on success.
bool ReadMaster(AppState& st, std::string& msg);
// Writes the store to the master file (encrypted when st.angouka); msg "保存完了 :N 件".
bool SaveMaster(AppState& st, std::string& msg);
// The same with the encryption switch given for this call only ("テキストファイルで保存"
// passes false and leaves a plain Master.dat).
bool SaveMasterAs(AppState& st, bool encrypt, std::string& msg);

// The file line of one row, without its line end: "%4.4d" of row+1, then columns 2..23 each
// after a TAB, escaped.
std::string MakeMasterLine(const TArMastd& store, int32_t row);

// Finds the file to read when encryption is on; may point path at the decrypted copy.
bool AngoukaDecodeMaster(AppState& st, const std::string& current_dir, std::string& msg,
                         std::filesystem::path& path);
// Encrypts the plain master file at path into Master.enc and deletes the plain file.
bool AngoukaMaster(AppState& st, const std::filesystem::path& path, std::string& msg);

using MastFields = std::array<std::string, 25>;
// Appends a fetched record (fields 1..23 taken; the flag is not used).
void AddMaster(AppState& st, bool flag, const MastFields& fields);
// Whether the store already holds a record with the same date and sender.
bool ExistsMaster(AppState& st, const MastFields& fields);

// Debug dump of every record to the log.
void MastDisp(AppState& st);

}  // namespace sorami
