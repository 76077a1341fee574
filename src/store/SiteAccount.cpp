#include "store/SiteAccount.h"

#include <utility>

#include "base/MbText.h"
#include "platform/Codepage.h"

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
    // Cut as bytes: a field ending in a stray lead byte must not take the TAB after it.
    CutBytes("\t", line, field);
    f->assign(field);
  }
  a.enabled = enabled == "on";
  return a;
}

std::string AccountTextError(std::string_view site, std::string_view nickname,
                             std::string_view password) {
  const std::pair<std::string_view, std::string> texts[] = {
      {site, "サイト名"_cp932}, {nickname, "ニックネーム"_cp932}, {password, "パスワード"_cp932}};
  for (const auto& [text, name] : texts) {
    if (text.find_first_of("\t\r\n") != std::string_view::npos) {
      return name + "にタブや改行は使えません"_cp932;
    }
  }
  return {};
}

}  // namespace sorami
