// The content type of a file, from the system's table of file types.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

// The MIME content type registered for the extension of file_name (code page 932 text),
// such as "application/pdf"; "application/octet-stream" when the extension is unknown.
std::string ContentTypeOfFile(std::string_view file_name);

}  // namespace sorami
