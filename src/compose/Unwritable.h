// Characters that code page 932 cannot hold (emoji, 𠮷, Hangul, ...): the message, its copy
// and the site service keep code page 932 text, where each becomes "〓". The compose window
// and the command line name them before a send instead of changing them without a word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compose/ComposeCheck.h"

namespace sorami {

// Each character of the UTF-8 text that code page 932 cannot hold, once, in order of first
// appearance (UTF-8).
std::vector<std::string> UnwritableChars(std::string_view utf8);
// The same over the recipients, title and body of fields typed as UTF-8.
std::vector<std::string> UnwritableChars(const ComposeFields& typed);

// "この文字は送れないため〓になります :" and the characters, each after a blank, all UTF-8
// (code page 932 has no place for them): for the window and the terminal.
std::string UnwritableNotice(const std::vector<std::string>& chars);

}  // namespace sorami
