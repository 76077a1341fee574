// The master file: reading the store from Data/Master.dat (or its encrypted form
// Master.enc), saving it back, and appending fetched records.
//
// Each routine reports through its result and a message text, and logs its steps.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "base/DiagLog.h"
#include "platform/FileCrypto.h"
#include "store/MastStore.h"

namespace sorami {

// Where the master file lives and how it is kept: the data directory, the encryption of
// Master.enc (CkAngouka), and what the last read left behind, so a save never overwrites a
// master file that exists but could not be read (a wrong key, a damaged or unreadable file).
struct MasterFiles {
  std::filesystem::path data_dir;
  FileCrypto* crypto = nullptr;
  DiagLog& log;
  bool encrypt = true;
  bool unread_file_on_disk = false;
  // Reading only (the command line's read-only commands): no file is encrypted, renamed or
  // removed.
  bool read_only = false;
};

std::filesystem::path MasterPath(const MasterFiles& mf);

// Replaces the store's contents with the master file; msg "読込完了 :N 件" on success.
// Master.enc is decrypted in memory. When both Master.dat and Master.enc exist the newer is
// read and the other renamed aside; a plain store read while encryption is on is encrypted
// then. A file that cannot be read is remembered, and the next save renames it aside.
bool ReadMaster(MasterFiles& mf, TArMastd& store, std::string& msg);
// Writes the store to the master file, atomically (encrypted into Master.enc when
// mf.encrypt, without a plain copy); msg "保存完了 :N 件", or on failure "保存失敗 : " with the
// system's reason ("No space left on device", ...) and the file.
bool SaveMaster(MasterFiles& mf, const TArMastd& store, std::string& msg);
// The same with the encryption switch given for this call only ("テキストファイルで保存"
// passes false and leaves a plain Master.dat).
bool SaveMasterAs(MasterFiles& mf, const TArMastd& store, bool encrypt, std::string& msg);

// Files a record made here (a sent message, a draft): appends it (column 1 becomes its row
// number), then saves the master file at once, so it is on disk whatever happens next. A
// failed save is written to the log and its reason to msg; false then.
bool FileRecord(MasterFiles& mf, TArMastd& store,
                const std::array<std::string, TArMastData::kColumns>& record, std::string& msg);

// The file line of one row, without its line end: "%4.4d" of row+1, then columns 2..23 each
// after a TAB, escaped.
std::string MakeMasterLine(const TArMastd& store, int32_t row);

// A value as a field of the master file and back, byte for byte: TAB -> 0x0C 0x08, CR LF ->
// 0x0C 0x0B (the escapes files have always had), and so that no value can break a line or be
// misread: a lone CR -> 0x0C 0x0E, a lone LF -> 0x0C 0x0F, 0x0C itself -> 0x0C 0x0C. Any other
// byte after 0x0C reads as it stands, as files written before kept it.
std::string EscapeMasterField(std::string_view value);
std::string UnescapeMasterField(std::string_view field);

// One line of a master file (its LF taken off) as a read makes it record `row`: column 1 its
// number, columns 2 .. 23 unescaped into `text`, which rec then points into (rec is valid while
// text is not changed). False for a line a read does not keep (a record of the deleted folder).
bool ReadMasterLine(std::string_view line, int32_t row, std::string& text, TArMastData& rec);

// The fields of a fetched record, indexed by column (0 .. 24).
struct MastFields : std::array<std::string, TArMastData::kColumns> {
  using std::array<std::string, TArMastData::kColumns>::operator[];
  std::string& operator[](MastCol c) { return (*this)[ColIndex(c)]; }
  const std::string& operator[](MastCol c) const { return (*this)[ColIndex(c)]; }
};
// Appends a fetched record (fields 1..23 taken; the flag is not used).
void AddMaster(TArMastd& store, DiagLog& log, bool flag, const MastFields& fields);
// Whether the store already holds this fetched message (see TArMastd::Exists).
bool ExistsMaster(const TArMastd& store, DiagLog& log, const MastFields& fields);

// Debug dump of every record to the log.
void MastDisp(const TArMastd& store, DiagLog& log);

}  // namespace sorami
