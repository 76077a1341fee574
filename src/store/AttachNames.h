// Names of attachment files in the attachment directory (ATTACH): names that come from outside
// made safe, and the two rules that keep a new file from replacing an existing one.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/DiagLog.h"

namespace sorami {

// A name from outside (a mail, a site attachment list) as a plain file name of the attachment
// directory: only its last path component; control characters, "/", "\" (not the second byte
// of a double-byte character), ":" and leading dots become "_"; an empty result or "." / ".."
// becomes "attachment". Code page 932.
std::string SafeAttachmentName(std::string_view name);

// The most bytes a file name takes here: the file system's 255 bytes of UTF-8, less room
// for the "_NN" that CheckSameName may add.
inline constexpr size_t kMaxFileNameBytes = 240;

// The name (code page 932) shortened, when needed, so that as UTF-8 it takes at most
// max_bytes: characters are cut from the end of the stem, and the extension (from the last
// ".", unless it is longer than 32 bytes) stays.
std::string FitFileName(std::string_view name, size_t max_bytes = kMaxFileNameBytes);

// Makes name unique in dir: unchanged when free, else "stem_NN.ext" with NN = 01, 02, ...
// (stem before the first ".", ext after it; without "." the name gets "_NN."). Returns the
// path; name becomes the name used.
std::filesystem::path CheckSameName(DiagLog& log, const std::filesystem::path& dir,
                                    std::string& name);

// A free path for a downloaded file: the name itself when it already carries "_" and the
// current year and is free; else base + "_yyyymmddhhnnss" + ext; else base_1ext ... base_1000ext;
// empty when all are taken. base: before the first "."; ext: from the last ".". A name `kept`
// says is kept for a file still to come counts as taken too.
std::filesystem::path GetUniqName(
    const std::filesystem::path& dir, std::string_view name, std::time_t now = std::time(nullptr),
    const std::function<bool(const std::string& name)>& kept = nullptr);

}  // namespace sorami
