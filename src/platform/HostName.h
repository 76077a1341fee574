// The name of this machine, as mail gives it in EHLO / HELO and in Message-Ids.
#pragma once

#include <string>

namespace sorami {

// The local host name; "localhost" when the system gives none.
std::string LocalHostName();

}  // namespace sorami
