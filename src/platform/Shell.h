// Opening a document or an address with the program the desktop associates with it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sorami {

// How the desktop's opener ended: opened, or why not (code page 932 text).
using ShellOpenDone = std::function<void(bool opened, const std::string& why)>;

// Opens a file path or an address (code page 932 text) with its associated program and
// returns at once. done, when given, is called once from the event loop of the calling thread
// when the opener has ended: whether it opened the target, else why not (the opener is
// missing, no program takes this kind of file, the program failed).
void ShellOpen(std::string_view target, ShellOpenDone done = {});

}  // namespace sorami
