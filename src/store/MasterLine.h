// The line format of the master file, shared by its read, its save and the search that
// scans the file: escaping a value as a field, the file line of a row, and the parser that
// reads a file's bytes into a table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/MastStore.h"

namespace sorami {

// Appends the file line of one row, without its line end.
void AppendMasterLine(std::string& out, const TArMastd& store, int32_t row);

// Reads the bytes of a master file, a chunk at a time as they come from the file or from the
// decryption, into a fresh table: a line within a chunk is read where it stands, only a line
// across two chunks is gathered. A line ends at LF (a CR before it is dropped); a last line
// without one counts.
class MasterParser {
 public:
  MasterParser(TArMastd& fresh, size_t size_hint, int32_t capacity) : fresh_(fresh) {
    fresh_.SetCapacity(capacity);
    // Records of a store run to a few hundred bytes each: a generous guess of their number
    // lets the table fill without regrowing (a guess too large costs only address space).
    fresh_.Reserve(size_hint / 256, size_hint);
    // The duplicate index is made once the records are in, sized for their number.
    fresh_.HoldIndex();
  }
  void Feed(std::string_view chunk);
  void Finish();

 private:
  // A record from one line, unescaped straight into the store's text; a record of a deleted
  // folder is not kept.
  void Line(std::string_view line);

  TArMastd& fresh_;
  std::string carry_;
};

}  // namespace sorami
