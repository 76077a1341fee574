// Where a site lives and whether an account is valid: the host look-up ("GETHOST") and the
// account check ("CHECK"), and the look-up of a dynamic host ("GETDYN").
#pragma once

#include <string>
#include <vector>

#include "site/SendHttp.h"
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
bool KakuninKairoID(SiteSession& ss, const SiteAccount& login, std::string& msg);
// The account test: where the account's site lives (the host, system user and dynamic-host
// key found are written into the account), then its nickname and password on that host.
struct AccountCheck {
  bool found = false;  // the directory server knew the site
  bool ok = false;     // and the host accepted the nickname and password
  std::string msg;     // the last request's message
};
AccountCheck CheckAccount(SiteSession& ss, SiteAccount& account);

// Asks the directory server for the current host of a dynamic-host key ("prefix$key");
// updates host and tells the session's listener, so every account row with that key follows.
// An answer that is not a host name fails with "接続エラー" and changes nothing.
bool GetDynamicHost(SiteSession& ss, const std::string& key, std::string& host, std::string& msg);

// Sends a request of an account to its host. When the request never reached the host and the
// account has a dynamic-host key ("prefix$key"), the directory server is asked where the host
// is now and the request goes once more, there. host becomes the host the answer came from.
// With a spool the answer is streamed into it, as SendHTTP does.
SiteAnswer SendWithHostRetry(SiteSession& ss, SiteRequest kind, std::string& host,
                             const std::string& dyn_key, const std::vector<std::string>& fields,
                             AnswerSpool* spool = nullptr);

}  // namespace sorami
