// Opening a document or an address with the program the desktop associates with it.
#pragma once

#include <string_view>

namespace sorami {

// Opens a file path or an address (code page 932 text) with its associated program and
// returns at once; false when no program could be started.
bool ShellOpen(std::string_view target);

}  // namespace sorami
