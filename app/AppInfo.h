// The product name and version both programs print for --version and atop --help. The version
// is the CMake project version (<sorami/Version.h>).
#pragma once

#include <sorami/Version.h>

#include <cstdio>

namespace sorami::app {

inline constexpr const char* kProductName = "ソラミメッセージ";  // UTF-8, printed as it is
inline constexpr const char* kVersion = SORAMI_VERSION;

// "sorami-cli (ソラミメッセージ) 1.105" on stdout.
inline void PrintVersion(const char* program) {
  std::printf("%s (%s) %s\n", program, kProductName, kVersion);
}

}  // namespace sorami::app
