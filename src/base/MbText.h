// Character-wise helpers for code page 932 (Shift_JIS) byte strings.
//
// A character is one byte, or two bytes when the first is a lead byte (0x81-0x9F, 0xE0-0xFC)
// and is not the last byte of the text. Positions and lengths count characters from 1.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace sorami {

inline bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte length of the character starting at byte offset i of text (0 at the end).
// Whether b can be the second byte of a double-byte character (0x40-0x7E, 0x80-0xFC).
inline bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

inline size_t MbCharLen(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  return (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

int MbLength(std::string_view text);
std::string MbCopy(std::string_view text, int index, int count);
// Position (in characters, from 1) of the first occurrence of part in text, 0 when none.
int MbPos(std::string_view part, std::string_view text);
// Byte offset of the first occurrence of part in text at a character boundary, or npos.
// With fold_case, single-byte letters A-Z match their lower-case forms.
size_t MbFind(std::string_view part, std::string_view text, bool fold_case = false);

// Cuts text at the first occurrence of separator (Latin letters compared without case):
// token := what stands before it, text := what follows it. Without a separator the whole
// text becomes the token and the text becomes empty.
void SplitToken(std::string_view separator, std::string& text, std::string& token);
// The same on views, for hot loops that must not copy the remainder.
void SplitToken(std::string_view separator, std::string_view& text, std::string_view& token);

void ReplaceAll(std::string_view old_text, std::string_view new_text, std::string& text);

// The text without the bytes at or below the space (control bytes and blanks) at both ends,
// as the system's Trim does. Works on bytes: the trail byte of a double-byte character is
// never below 0x40, so no character is cut.
std::string_view TrimBytes(std::string_view s);

// Byte-wise SplitToken: token := the bytes before the first separator (all of text when there
// is none), text := the bytes after it. A lead byte just before the separator stays in the
// token; the separator is never taken for a character's second byte. For the fixed TAB and
// CR LF layouts of answers and files.
void CutBytes(std::string_view separator, std::string_view& text, std::string_view& token);

// Cuts the next line off text: line := the bytes before the first LF (all of text when there
// is none), without a CR before the LF; text := what follows. For files of CR LF lines that
// may also hold LF alone.
void CutLine(std::string_view& text, std::string_view& line);

// The local time t in a strftime format ("%Y/%m/%d %H:%M:%S").
std::string FormatLocalTime(std::time_t t, const char* format);

// Text of a box (line breaks of any kind) with CR LF line ends, as a record keeps its body.
std::string BodyFromBox(std::string_view box_text);

// Field escaping of the master file: TAB <-> 0x0C 0x08, CR LF <-> 0x0C 0x0B.
std::string EscapeField(std::string_view value);
std::string UnescapeField(std::string_view value);

// "%4.4d": at least four digits, zero-padded.
std::string Format4d(long value);
// The same written to out (room for 24 bytes), without a terminator; returns its length.
size_t Format4dTo(long value, char* out);

}  // namespace sorami
