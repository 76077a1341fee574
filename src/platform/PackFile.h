// Files that grow by appends and are read at offsets: a pack of many small records written in
// one go and made durable with one data sync, then read back a record at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace sorami {

// A new file written by appends (mode 0600: it may hold private mail). Nothing is synced until
// Sync; dropping the object closes the file as it is.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile() { Close(); }
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Creates path, which must not exist yet; false, errno telling why, otherwise.
  bool Create(const std::filesystem::path& path);
  // Appends all of bytes; false, errno telling why, when they could not all be written (the
  // file may then end in part of them).
  bool Append(std::string_view bytes);
  // Makes what was appended durable (the data and the file's size).
  bool Sync();
  void Close();
  bool is_open() const { return fd_ >= 0; }
  uint64_t size() const { return size_; }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// A file read at offsets.
class OffsetReader {
 public:
  OffsetReader() = default;
  ~OffsetReader();
  OffsetReader(const OffsetReader&) = delete;
  OffsetReader& operator=(const OffsetReader&) = delete;

  bool Open(const std::filesystem::path& path);
  // Reads exactly n bytes at offset into out; false when the file ends before them.
  bool ReadAt(uint64_t offset, uint64_t n, std::string& out) const;
  uint64_t size() const { return size_; }
  // Tells one file from another that later took its name.
  uint64_t identity() const { return identity_; }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  uint64_t identity_ = 0;
};

// The size and identity of the file at path, as OffsetReader sees them; false when none.
bool FileSizeAndIdentity(const std::filesystem::path& path, uint64_t& size, uint64_t& identity);

// Makes the names in dir (files created, renamed or removed) durable.
bool SyncDirectory(const std::filesystem::path& dir);

// A modification stamp of dir that changes when a name in it is created, renamed or removed;
// 0 when it cannot be read.
uint64_t DirectoryStamp(const std::filesystem::path& dir);

}  // namespace sorami
