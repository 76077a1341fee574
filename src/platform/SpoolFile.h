// A private scratch file for a large answer: written as it arrives, then read back line by
// line, so no answer has to fit in memory. It lives hidden in a given directory (created 0600,
// readable by the user alone) and is removed when the object goes; one left behind by a killed
// run is recognised by its name and removed at the next start.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace sorami {

class SpoolFile {
 public:
  SpoolFile() = default;
  ~SpoolFile();  // closes and removes the file
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  // Creates a new empty file in dir; false (errno set) when it cannot be created.
  bool Create(const std::filesystem::path& dir);
  // Appends bytes; false once any write has failed.
  bool Write(std::string_view bytes);
  // The errno of the write that failed (a full disk...), 0 when none did.
  int error() const { return error_; }
  // Ends the writing and reads from the start again; false when the file could not be flushed.
  bool Rewind();
  // The next line without its end: lines end in LF (a CR before it is dropped) or, with
  // crlf_only, in CR LF alone (a bare LF stays in the line). False at the end of the file.
  // had_cr: whether the line ended in CR LF.
  bool NextLine(std::string& line, bool crlf_only = false, bool* had_cr = nullptr);

 private:
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  int error_ = 0;
};

// Whether a file name is one a SpoolFile gives.
bool IsSpoolFileName(std::string_view name);

}  // namespace sorami
