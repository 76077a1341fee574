// Reading the header block of a mail or of a MIME part.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mail/mime/MailLines.h"

namespace sorami {

// Finds the header whose name (given upper-case with its colon, "SUBJECT:") starts a line of
// the header block (the lines before the first empty one). Its value is the line, name
// included, with the continuation lines that follow it (lines starting with a blank or a
// tab) joined on with one blank; trailing blanks of each line are dropped.
bool GetHeaderLine(std::string_view name, LinesView lines, std::string& value);

// The text after a parameter name (such as "NAME" or "FILENAME", found case-insensitively in
// the header value), trimmed and cut at the first ";". It still begins with "=" and may be
// quoted.
std::string GetHeaderParam(std::string_view param, std::string_view value);

// Drops the header block: the leading non-empty lines up to the first empty line, then the
// leading empty lines.
void StripHeaderLines(LinesView& lines);

// Drops a leading and a trailing double or single quote.
std::string Unquote(std::string_view text);

// "--" and the boundary named in a multipart Content-Type value.
std::string GetBoundary(std::string_view content_type);

// The value of a header line found by GetHeaderLine: what follows the colon, trimmed.
std::string_view HeaderValue(std::string_view line);

// The value of a MIME parameter of a header value ("text/plain; charset=UTF-8"): quoted
// strings are unquoted, RFC 2231 forms (name*=charset'lang'%XX, continuations name*0*=,
// name*1=) are put together and decoded, encoded words and raw 8-bit text are decoded; the
// result is code page 932. The name is matched without regard to case and only as a whole
// parameter name. Empty when the parameter is missing.
std::optional<std::string> GetMimeParam(std::string_view header_value, std::string_view name);

// The part of a header value before its parameters, trimmed and upper-cased
// ("TEXT/PLAIN").
std::string MainValueUpper(std::string_view header_value);

// Upper- and lower-cases the Latin letters of code page 932 text (second bytes of
// double-byte characters are left alone).
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
// Drops blanks, tabs and control characters at both ends.
std::string_view TrimView(std::string_view text);

}  // namespace sorami
