// Synthetic master files for the benchmarks: Japanese titles and bodies of a few hundred
// bytes, spread over the folders, written straight to disk without building a store.
#pragma once

#include <filesystem>
#include <string>

namespace sorami::bench {

// Writes n records to path; returns the file size in bytes.
size_t WriteSyntheticMaster(const std::filesystem::path& path, int n);
// The (date, sender) of record i, as written by WriteSyntheticMaster.
std::string SyntheticDate(int i);
std::string SyntheticSender(int i);

}  // namespace sorami::bench
