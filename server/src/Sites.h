// Sites and members in the database, and the checks every site request makes: that the site
// exists, that it is served by this instance, and that the member's password is right.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Db.h"
#include "Form.h"

namespace sorami::site {

struct Site {
  std::int64_t id = 0;
  std::string name;     // code page 932
  std::string host;     // "host:port" where the site is reached now
  std::string sysuser;  // the site's system user
  std::string dynkey;   // stored form prefix "$" key, empty for a fixed host
  bool isPublic = false;
};

struct Member {
  std::int64_t id = 0;
  std::string nick;
  Site site;
};

std::optional<Site> FindSiteByName(Db& db, std::string_view name);
std::optional<Site> FindSiteByUser(Db& db, std::string_view sysuser);
// By the part of a dynamic-host key after its first "$".
std::optional<Site> FindSiteByDynName(Db& db, std::string_view dynname);
std::optional<Site> FindSiteById(Db& db, std::int64_t id);
std::vector<Site> AllSites(Db& db);
std::optional<Member> FindMember(Db& db, const Site& site, std::string_view nick);
std::optional<Member> FindMemberById(Db& db, std::int64_t id);

// The part of a stored dynamic-host key after its first "$" (empty without "$").
std::string DynName(std::string_view dynkey);

// The same checks in the form the commands use; each throws Refused with a Japanese text.
Site RequireSiteByName(Db& db, std::string_view name);
Site RequireSiteByUser(Db& db, std::string_view sysuser);
// Refuses a site that has moved to another host when this instance knows its own public host
// (publicHost empty: this instance serves every site).
void RequireServedHere(const Site& site, const std::string& publicHost);
// Checks the member named by the field nickField against the password in USERPASS. In a
// multipart request a password holding "%" arrives with "％" in its place; both are tried.
// After repeated failures for the member or from the request's address, the check is refused
// without trying the password until a growing wait has passed; failures are logged.
Member Authenticate(Db& db, const Site& site, const Form& form, const char* nickField);

}  // namespace sorami::site
