// Crash-safe file writing: the data goes to a temporary file in the same directory, is
// flushed to disk and then renamed over the target, so a failed or interrupted save leaves
// the old file whole.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace sorami {

class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();  // abandons an uncommitted file
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // A stream buffer large enough that a save of the store goes out in few large writes.
  static constexpr size_t kLargeBuffer = size_t{1} << 20;
  // Creates the temporary file beside target; false when it cannot be created. A writer that
  // hands over large pieces only asks for no buffer (0): each piece is then one write.
  bool Open(const std::filesystem::path& target, size_t buffer_bytes = kLargeBuffer);
  // Appends bytes; false once any write has failed.
  bool Write(std::string_view bytes);
  // Flushes, syncs and renames over the target; false (old file untouched) on any failure.
  // After a failure errno tells its cause (the clean-up leaves errno alone).
  bool Commit();
  // Removes the temporary file without touching the target; errno is kept.
  void Abandon();

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::FILE* file_ = nullptr;
  // The stream's own buffer, of buffer_bytes_.
  std::unique_ptr<char[]> buffer_;
  size_t buffer_bytes_ = 0;
  bool failed_ = false;
  int write_errno_ = 0;  // errno of the write that failed
};

// Writes a whole file atomically.
bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes);
// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

// Moves a file that could not be read out of the way, so that no save overwrites it:
// "<path>.<why>-yyyymmdd-hhnnss". False when nothing was there or it could not be moved.
bool KeepAside(const std::filesystem::path& p, std::string_view why, std::filesystem::path& kept);

// Whether something exists at the path; an error counts as no.
inline bool PathExists(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::exists(p, ec);
}

}  // namespace sorami
