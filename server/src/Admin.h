// Administration of the site database from the command line: init, addsite, adduser, setdyn,
// notice and list. Arguments are UTF-8 and stored as code page 932. A running server sees the
// changes at its next request, since it reads the database for every request.
#pragma once

#include <iosfwd>

#include "Args.h"

namespace sorami::site {

// Whether the command word is an administrative command.
bool IsAdminCommand(const std::string& command);
// Runs one; returns the process exit code. Reports go to out, errors to err.
int RunAdmin(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace sorami::site
