// Where a site lives and whether an account is valid: the host look-up ("GETHOST") and the
// account check ("CHECK"), and the look-up of a dynamic host ("GETDYN").
#pragma once

#include <string>

#include "site/SiteSession.h"

namespace sorami {

// Asks the directory server where a site lives.
bool GetKairoHost(SiteSession& ss, const std::string& site, SiteHostInfo& found, std::string& msg);
// Reads the "TOHOST=..", "TOUSER=..", "DYNAMIC=.." items of the directory server's answer;
// "接続エラー" when host or user is missing.
bool GetKairoSiteID(DiagLog& log, const std::string& value, SiteHostInfo& found, std::string& msg);
// Checks the login's nickname and password on its host.
bool KakuninKairoID(SiteSession& ss, const SiteLogin& login, std::string& msg);
// Asks the directory server for the current host of a dynamic-host key ("prefix$key");
// updates host and tells the session's listener, so every account row with that key follows.
bool GetDynamicHost(SiteSession& ss, const std::string& key, std::string& host, std::string& msg);

}  // namespace sorami
