// The product name and version both programs print for --version and atop --help. The version
// is the CMake project version (<sorami/Version.h>).
#pragma once

#include <sorami/Version.h>

#include <cstdio>

namespace sorami::app {

inline constexpr const char* kProductName = "ソラミメッセージ";  // UTF-8, printed as it is
inline constexpr const char* kVersion = SORAMI_VERSION;

// The options both programs take, for --help.
inline constexpr const char* kOptionsHelp =
    "options:\n"
    "  --appdir DIR      the application directory (Data, ATTACH); also SORAMI_HOME.\n"
    "                    Default: the program's folder when a Data folder stands beside it\n"
    "                    (portable mode), else ~/.local/share/sorami\n"
    "  --config DIR      the settings and the encryption key; also SORAMI_CONFIG_HOME.\n"
    "                    Default: Data/Settings in portable mode, else ~/.config/sorami\n"
    "  --directory-host HOST[:PORT]\n"
    "                    the directory server of the site service; also SORAMI_DIRECTORY_HOST\n"
    "  --help            this text\n"
    "  --version         the product name and version\n";

// "sorami-cli (ソラミメッセージ) 1.105" on stdout.
inline void PrintVersion(const char* program) {
  std::printf("%s (%s) %s\n", program, kProductName, kVersion);
}

}  // namespace sorami::app
