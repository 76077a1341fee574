// The search of the whole store made straight from the master file (an encrypted one decrypted
// a chunk at a time), for a caller that has not read the store (the command line): only the lines
// holding the keywords' bytes are read as records, and they are matched as the search over the read
// store matches them.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "base/DiagLog.h"
#include "store/MasterFile.h"
#include "views/Search.h"

namespace sorami {

// Whether a keyword can be looked for in the file's bytes as they stand: it holds none of the
// bytes the file writes escaped (TAB, LF, form feed, CR).
bool SearchableInFile(std::string_view keyword);

// How a search straight from the file went.
enum class FileSearch {
  kDone,        // out is what KensakuJikkou over the read store gives
  kNotScanned,  // the store cannot be searched so: read it and search it; nothing was given
  kFailed,      // the file could not be read: out.msg says so, as a read of the store would
};

// KensakuJikkou over the store Data/Master.dat or Data/Master.enc holds, without reading it:
// each matching record is given to `found` with its row, in store order. The store cannot be
// searched so without a keyword, with one that is not SearchableInFile, or when it is not
// one file (see ScanMasterFile).
using SearchFound = std::function<void(int32_t row, const TArMastData& rec)>;
FileSearch KensakuFile(MasterFiles& mf, DiagLog& log, std::string_view text, SearchMode mode,
                       const SearchFound& found, SearchResult& out);

}  // namespace sorami
