// Files written in numbers (a receive's mails) and made durable together: each is written to a
// temporary file beside it and renamed into place without its own sync, and one sync of the
// file system then makes all of them durable at once, far cheaper than a sync per file.
#pragma once

#include <filesystem>
#include <string_view>

namespace sorami {

// Writes a whole file through a temporary file and a rename (a failed write leaves the old
// file whole), without syncing it; false, errno telling why, on any failure.
bool WriteFileUnsynced(const std::filesystem::path& target, std::string_view bytes);

// Makes everything written to the file system holding dir durable; false when that failed.
bool SyncFileSystem(const std::filesystem::path& dir);

}  // namespace sorami
