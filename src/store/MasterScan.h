// A pass over the master file (plain, or decrypted a chunk at a time) that finds the lines holding
// some byte strings, numbered as a read of the store numbers its rows, without making the store: a
// search over a large store looks closely only at the few records that can match.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/MasterFile.h"

namespace sorami {

inline constexpr size_t kMaxScanWords = 16;

// For each line a read keeps as a record (a record of the deleted folder is not one), in file
// order: `line` gets its row and its text (the LF taken off) with `found`, whose bit k is set
// when words[k] occurs in the line's bytes as they stand in the file. Lines are found as a
// read finds them: each ends at LF, and a last line without one counts.
using ScanLine = std::function<void(int32_t row, std::string_view line, uint32_t found)>;

enum class MasterScan {
  kDone,
  kNotScanned,     // the store is not one file (both Master.dat and Master.enc exist, or
                   // neither), Master.enc without its key, or more than kMaxScanWords words:
                   // `line` was given nothing
  kUnreadable,     // the file could not be read: what `line` was given is void
  kUndecryptable,  // Master.enc did not decrypt (damaged, or another key): the same
};

// Scans Data/Master.dat or Data/Master.enc, logging as a read does; rows is then the number
// of records a read would make.
MasterScan ScanMasterFile(MasterFiles& mf, const std::vector<std::string>& words,
                          const ScanLine& line, int32_t& rows);

// Where needle first occurs in hay at or after from; npos when it does not (or is empty).
size_t FindBytes(std::string_view hay, std::string_view needle, size_t from = 0);

}  // namespace sorami
