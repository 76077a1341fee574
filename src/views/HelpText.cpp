#include "views/HelpText.h"

#include <cctype>

namespace sorami {
namespace {

struct Style {
  bool bold = false;
  int half_points = 24;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// A control word at rtf[i] (just after the backslash): its letters and numeric parameter.
struct ControlWord {
  std::string_view name;
  bool has_param = false;
  int param = 0;
};

ControlWord ReadControlWord(std::string_view rtf, size_t& i) {
  ControlWord w;
  const size_t start = i;
  while (i < rtf.size() && IsLetter(rtf[i])) ++i;
  w.name = rtf.substr(start, i - start);
  bool negative = false;
  if (i < rtf.size() && rtf[i] == '-' && i + 1 < rtf.size() && IsDigit(rtf[i + 1])) {
    negative = true;
    ++i;
  }
  while (i < rtf.size() && IsDigit(rtf[i])) {
    w.has_param = true;
    if (w.param < 100000) w.param = w.param * 10 + (rtf[i] - '0');
    ++i;
  }
  if (negative) w.param = -w.param;
  if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiter belongs to the word
  return w;
}

// Whether the group opening at rtf[i] (just after its brace) is a destination to skip.
bool IsSkippedGroup(std::string_view rtf, size_t i) {
  if (i >= rtf.size() || rtf[i] != '\\') return false;
  if (i + 1 < rtf.size() && rtf[i + 1] == '*') return true;
  size_t j = i + 1;
  const ControlWord w = ReadControlWord(rtf, j);
  return w.name == "fonttbl" || w.name == "colortbl" || w.name == "stylesheet" || w.name == "info";
}

// Moves i past the group whose opening brace is just before it; escapes do not count.
void SkipGroup(std::string_view rtf, size_t& i) {
  int depth = 1;
  while (i < rtf.size() && depth > 0) {
    const char c = rtf[i++];
    if (c == '\\') {
      if (i < rtf.size()) ++i;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}') {
      --depth;
    }
  }
}

class Reader {
 public:
  void Text(char byte) {
    std::vector<HelpRun>& runs = current_.runs;
    if (runs.empty() || runs.back().bold != style.bold ||
        runs.back().half_points != style.half_points) {
      runs.push_back(HelpRun{std::string(), style.bold, style.half_points});
    }
    runs.back().text += byte;
  }
  void EndParagraph() {
    out_.push_back(std::move(current_));
    current_ = HelpParagraph();
  }
  std::vector<HelpParagraph> Finish() {
    if (!current_.runs.empty()) EndParagraph();
    return std::move(out_);
  }

  Style style;

 private:
  HelpParagraph current_;
  std::vector<HelpParagraph> out_;
};

}  // namespace

std::vector<HelpParagraph> ReadHelpRtf(std::string_view rtf) {
  Reader r;
  std::vector<Style> saved;
  size_t i = 0;
  while (i < rtf.size()) {
    const char c = rtf[i++];
    if (c == '{') {
      if (IsSkippedGroup(rtf, i)) {
        SkipGroup(rtf, i);
      } else {
        saved.push_back(r.style);
      }
    } else if (c == '}') {
      if (!saved.empty()) {
        r.style = saved.back();
        saved.pop_back();
      }
    } else if (c == '\r' || c == '\n') {
      // Line ends of the file are not text.
    } else if (c != '\\') {
      r.Text(c);
    } else if (i >= rtf.size()) {
      break;
    } else if (rtf[i] == '\\' || rtf[i] == '{' || rtf[i] == '}') {
      r.Text(rtf[i++]);
    } else if (rtf[i] == '\'') {
      const int hi = i + 1 < rtf.size() ? HexValue(rtf[i + 1]) : -1;
      const int lo = i + 2 < rtf.size() ? HexValue(rtf[i + 2]) : -1;
      if (hi >= 0 && lo >= 0) {
        r.Text(static_cast<char>(hi * 16 + lo));
        i += 3;
      } else {
        ++i;  // a cut \'x: only the quote is dropped
      }
    } else if (rtf[i] == '\r' || rtf[i] == '\n') {
      ++i;  // a backslash before a line end is a paragraph end
      r.EndParagraph();
    } else if (IsLetter(rtf[i])) {
      const ControlWord w = ReadControlWord(rtf, i);
      if (w.name == "par") {
        r.EndParagraph();
      } else if (w.name == "b") {
        r.style.bold = !w.has_param || w.param != 0;
      } else if (w.name == "fs" && w.has_param && w.param > 0) {
        r.style.half_points = w.param;
      }
    } else {
      ++i;  // another control symbol (\~, \-, \*...): nothing to show
    }
  }
  return r.Finish();
}

std::string HelpPlainText(const std::vector<HelpParagraph>& paragraphs) {
  std::string out;
  for (size_t p = 0; p < paragraphs.size(); ++p) {
    if (p > 0) out += "\r\n";
    for (const HelpRun& run : paragraphs[p].runs) out += run.text;
  }
  return out;
}

}  // namespace sorami
