// For the fuzz targets of file readers: a directory of this process's own, where each input is
// written as the file the reader opens.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace sorami::fuzz {

inline const std::filesystem::path& Scratch() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("sorami-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

inline std::string_view Input(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Writes the input as Scratch()/name and returns its path.
inline std::filesystem::path PutFile(const std::string& name, std::string_view bytes) {
  const std::filesystem::path p = Scratch() / name;
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  return p;
}

// Stops the run: a property the reader must keep did not hold.
[[noreturn]] inline void Broken() { __builtin_trap(); }

}  // namespace sorami::fuzz
