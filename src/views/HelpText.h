// The help topics: rich text files (help/<topic>.rtf) read into paragraphs of runs for the help
// pane and the command line. The reader knows the little rich text the topics are written in:
// groups, \par, \b, \b0, \fsN, \'xx bytes and the escapes \\ \{ \}; the font and colour tables,
// \* groups and every other control word are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorami {

// A stretch of text in one style. The text is code page 932 bytes.
struct HelpRun {
  std::string text;
  bool bold = false;
  int half_points = 24;  // font size in half-points (24 = 12 points)
};

struct HelpParagraph {
  std::vector<HelpRun> runs;
};

// Every paragraph of the text, in order; \par ends one (an empty one too). Text after the last
// \par makes a last paragraph. Damaged input (unbalanced braces, a cut \'x) never throws.
std::vector<HelpParagraph> ReadHelpRtf(std::string_view rtf);

// The text of the paragraphs without styles, paragraphs joined by CR LF.
std::string HelpPlainText(const std::vector<HelpParagraph>& paragraphs);

}  // namespace sorami
