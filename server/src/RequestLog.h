// One line on stderr per request: time, server program, command, member, outcome. The texts
// come in code page 932 and are written as UTF-8.
#pragma once

#include <string_view>

namespace sorami::site {

void LogRequest(std::string_view program, std::string_view command, std::string_view member,
                std::string_view outcome);

}  // namespace sorami::site
