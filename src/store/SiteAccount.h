// A member account on the site service, as the account list (Data/KRList.dat) keeps it and as
// every site request acts for it: the site, the nickname and password, where the site lives
// (its host and system user, or a dynamic-host key) and whether the fetch includes it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sorami {

// Fields left out of an initializer are empty.
struct SiteAccount {
  std::string site{};      // the site's name
  std::string nickname{};  // the member's name on the site
  std::string password{};
  std::string host{};        // "name[:port]" of the site's service
  std::string sys_user{};    // the site's system user
  std::string dyn_key{};     // "prefix$key" of a dynamic host; empty for a fixed host
  bool enabled = false;      // "有効": fetched with the others
  std::string last_check{};  // when the account was last fetched, as the list shows it
};

// The fields of a line of the account list, in their order: site, nickname, password, last
// check, host, system user, "on" or " " for enabled, dynamic-host key.
inline constexpr int kAccountRowFields = 8;
std::array<std::string, kAccountRowFields> AccountRowFields(const SiteAccount& a);
// One line of the account list, without its line end: site, nickname, password, last check,
// host, system user, "on" or " " for enabled, dynamic-host key, separated by TAB.
std::string AccountRowText(const SiteAccount& a);
// Reads a line of the account list; missing fields are empty, fields past the eighth ignored.
SiteAccount ParseAccountRow(std::string_view line);

// Why these typed texts cannot make an account: a site name, nickname or password holding TAB,
// CR or LF would break its line of the account list. Empty when they can.
std::string AccountTextError(std::string_view site, std::string_view nickname,
                             std::string_view password);

}  // namespace sorami
