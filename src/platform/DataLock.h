// One writer at a time per data directory: an exclusive lock on "sorami.lock" in the data
// directory, held while the object lives and let go by the system when the program ends, so
// a crashed writer never leaves the directory locked.
#pragma once

#include <filesystem>
#include <memory>

namespace sorami {

class DataLock {
 public:
  virtual ~DataLock() = default;
};

// Takes the lock of data_dir (creating the directory and the file when missing), trying again
// for up to wait_ms while another program holds it; null when it is still held then.
std::unique_ptr<DataLock> LockDataDir(const std::filesystem::path& data_dir, int wait_ms);

}  // namespace sorami
