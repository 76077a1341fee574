// The text a reader sees in an HTML body, for mail that has no plain-text rendering.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

// Code page 932 HTML to code page 932 text: tags go (line breaks for <br> and the ends of
// blocks), script, style and head contents go, character references are resolved (those
// code page 932 cannot hold become "〓"), runs of blanks and source line breaks become one
// blank. Lines are separated by CR LF.
std::string HtmlToText(std::string_view html);

// The same for UTF-8 HTML to UTF-8 text, for the pane that shows a mail from its original: every
// character reference resolves, emoji and all ("〓" only for a reference to no character).
std::string HtmlToUtf8Text(std::string_view html);

}  // namespace sorami
