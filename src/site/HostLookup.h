// Where a site lives and whether an account is valid: the host look-up ("GETHOST") and the
// account check ("CHECK"), and the look-up of a dynamic host ("GETDYN").
#pragma once

#include <string>

#include "site/SiteSession.h"

namespace sorami {

// Asks the directory server where a site lives.
bool GetKairoHost(SiteSession& ss, const std::string& site, SiteHostInfo& found, std::string& msg);
// A host as the service may name one: "name[:port]" of letters, digits, ".", "-" and ":".
bool IsHostName(std::string_view host);
// Reads the "TOHOST=..", "TOUSER=..", "DYNAMIC=.." items of the directory server's answer
// (each value without blanks and line ends around it); "接続エラー" when the user is missing
// or the host is missing or not a host name.
bool GetKairoSiteID(DiagLog& log, const std::string& value, SiteHostInfo& found, std::string& msg);
// Checks the login's nickname and password on its host.
bool KakuninKairoID(SiteSession& ss, const SiteLogin& login, std::string& msg);
// Asks the directory server for the current host of a dynamic-host key ("prefix$key");
// updates host and tells the session's listener, so every account row with that key follows.
// An answer that is not a host name fails with "接続エラー" and changes nothing.
bool GetDynamicHost(SiteSession& ss, const std::string& key, std::string& host, std::string& msg);

}  // namespace sorami
