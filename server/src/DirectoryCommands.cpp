// The directory server's commands: where a site lives, the public sites, the current host of a
// dynamic-host key, and claim reports.
#include <algorithm>
#include <ctime>

#include "Commands.h"
#include "Sites.h"
#include "Text.h"
#include "Throttle.h"

namespace sorami::site {

const std::string& Required(const Form& form, const char* name) {
  const std::string& v = form.Get(name);
  if (v.empty()) throw Refused(Sj("項目がありません : ") + name);
  return v;
}

Answer GetHost(const Request& r) {
  Site site = RequireSiteByName(r.db, Required(r.form, "TOSITE"));
  Answer a = Success("GETHOST", "ホスト取得完了");
  std::string items = "TOHOST=" + site.host + "\tTOUSER=" + site.sysuser;
  if (!site.dynkey.empty()) items += "\tDYNAMIC=" + site.dynkey;
  a.lines.push_back(items);
  return a;
}

Answer SiteList(const Request& r) {
  std::vector<std::string> names;
  for (const Site& site : AllSites(r.db)) {
    if (site.isPublic) names.push_back(site.name);
  }
  Answer a = Success("SITELIST", "公開サイト " + std::to_string(names.size()) + " 件");
  a.lines = std::move(names);
  return a;
}

Answer GetDyn(const Request& r) {
  const std::string& key = Required(r.form, "HOST");
  std::optional<Site> site = FindSiteByDynName(r.db, key);
  if (!site) throw Refused(Sj("動的ホストキーが見つかりません : ") + key);
  Answer a = Success("GETDYN", "動的ホスト取得完了");
  a.lines.push_back(site->host);
  return a;
}

namespace {

// At most max bytes of Shift_JIS text, never ending inside a two-byte character.
std::string CutSjis(const std::string& text, std::size_t max) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t step = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (i + step > max) break;
    i += step;
  }
  return text.substr(0, std::min(i, text.size()));
}

}  // namespace

Answer Claim(const Request& r) {
  Required(r.form, "CLAIM");
  Required(r.form, "FROMNAME");
  // The report is kept as it came: its fields as NAME=value lines, values in escaped form.
  // The reported message's body is evidence, not the report: a long one is kept cut, so a
  // member can report any message while a report stays small.
  std::string fields;
  for (const auto& [name, value] : r.form.fields()) {
    fields += name + "=" +
              EscapeField(name == "HONBUN" ? CutSjis(value, kMaxClaimBodyBytes) : value) + "\r\n";
  }
  // Anyone may report, without an account: the size of a report and their number per address
  // are bounded so that reports cannot fill the disk.
  if (fields.size() > kMaxClaimBytes || !r.form.files.empty()) {
    throw Refused(Sj("報告が大きすぎます (上限 " + std::to_string(kMaxClaimBytes / 1024) + " KB)"));
  }
  if (!AddressClaims().Take(r.form.peer, std::time(nullptr))) {
    throw Refused(Sj("報告が多すぎます。しばらくしてから送ってください"));
  }
  Stmt s = r.db.Prepare("INSERT INTO claim(received, fields) VALUES (?1, ?2)");
  s.Bind(1, Now()).Bind(2, fields).Run();
  // The client reads a claim answer as accepted only when it begins with "OK(PGM)".
  return Success(std::string(kOkMark), "報告受付完了");
}

}  // namespace sorami::site
