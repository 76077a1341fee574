#include "store/SiteAccount.h"

#include "base/MbText.h"

namespace sorami {

std::array<std::string, kAccountRowFields> AccountRowFields(const SiteAccount& a) {
  return {
      a.site,   a.nickname, a.password, a.last_check, a.host, a.sys_user, a.enabled ? "on" : " ",
      a.dyn_key};
}

std::string AccountRowText(const SiteAccount& a) {
  const auto fields = AccountRowFields(a);
  std::string out = fields[0];
  for (size_t i = 1; i < fields.size(); ++i) out += '\t' + fields[i];
  return out;
}

SiteAccount ParseAccountRow(std::string_view line) {
  SiteAccount a;
  std::string enabled;
  for (std::string* f : {&a.site, &a.nickname, &a.password, &a.last_check, &a.host, &a.sys_user,
                         &enabled, &a.dyn_key}) {
    if (line.empty()) break;
    std::string_view field;
    SplitToken("\t", line, field);
    f->assign(field);
  }
  a.enabled = enabled == "on";
  return a;
}

}  // namespace sorami
