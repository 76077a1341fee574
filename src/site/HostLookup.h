// Where a site lives and whether an account is valid: the host look-up ("GETHOST") and the
// account check ("CHECK"), and the look-up of a dynamic host ("GETDYN").
#pragma once

#include <string>

#include "shell/AppState.h"

namespace sorami {

// GetKairoHost, then KakuninKairoID when it succeeded.
bool ExecTest(AppState& st, std::string& msg);
// Asks the directory server where curSite lives.
bool GetKairoHost(AppState& st, std::string& msg);
// Reads "TOHOST=..", "TOUSER=..", "DYNAMIC=.." items into the current account and the
// settings window's labels; "接続エラー" when host or user is missing.
bool GetKairoSiteID(AppState& st, const std::string& value, std::string& msg);
// Checks curAccount / curPass on curHost.
bool KakuninKairoID(AppState& st, std::string& msg);
// Asks the directory server for the current host of a dynamic-host key ("prefix$key");
// updates host and every account row with that key.
bool GetDynamicHost(AppState& st, const std::string& key, std::string& host, std::string& msg);

}  // namespace sorami
