#include "Sites.h"

#include <algorithm>
#include <ctime>

#include "Answer.h"
#include "Password.h"
#include "RequestLog.h"
#include "Text.h"
#include "Throttle.h"

namespace sorami::site {
namespace {

constexpr const char* kSiteColumns = "SELECT id, name, host, sysuser, dynkey, public FROM site ";

Site ReadSite(const Stmt& s) {
  return Site{s.Int(0),     s.Text(1), s.Text(2), s.Text(3), s.IsNull(4) ? "" : s.Text(4),
              s.Int(5) != 0};
}

std::optional<Site> FindSiteWhere(Db& db, const std::string& where, std::string_view value) {
  Stmt s = db.Prepare((kSiteColumns + where).c_str());
  s.Bind(1, value);
  if (!s.Step()) return std::nullopt;
  return ReadSite(s);
}

}  // namespace

std::optional<Site> FindSiteByName(Db& db, std::string_view name) {
  return FindSiteWhere(db, "WHERE name = ?1", name);
}

std::optional<Site> FindSiteByUser(Db& db, std::string_view sysuser) {
  return FindSiteWhere(db, "WHERE sysuser = ?1", sysuser);
}

std::optional<Site> FindSiteByDynName(Db& db, std::string_view dynname) {
  if (dynname.empty()) return std::nullopt;
  return FindSiteWhere(db, "WHERE dynname = ?1", dynname);
}

std::optional<Site> FindSiteById(Db& db, std::int64_t id) {
  Stmt s = db.Prepare((std::string(kSiteColumns) + "WHERE id = ?1").c_str());
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return ReadSite(s);
}

std::vector<Site> AllSites(Db& db) {
  Stmt s = db.Prepare((std::string(kSiteColumns) + "ORDER BY id").c_str());
  std::vector<Site> sites;
  while (s.Step()) sites.push_back(ReadSite(s));
  return sites;
}

std::optional<Member> FindMember(Db& db, const Site& site, std::string_view nick) {
  Stmt s = db.Prepare("SELECT id FROM member WHERE site_id = ?1 AND nick = ?2");
  s.Bind(1, site.id).Bind(2, nick);
  if (!s.Step()) return std::nullopt;
  return Member{s.Int(0), std::string(nick), site};
}

std::optional<Member> FindMemberById(Db& db, std::int64_t id) {
  Stmt s = db.Prepare("SELECT site_id, nick FROM member WHERE id = ?1");
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  std::optional<Site> site = FindSiteById(db, s.Int(0));
  if (!site) return std::nullopt;
  return Member{id, s.Text(1), *site};
}

std::string DynName(std::string_view dynkey) {
  std::size_t p = dynkey.find('$');
  return p == std::string_view::npos ? std::string() : std::string(dynkey.substr(p + 1));
}

Site RequireSiteByName(Db& db, std::string_view name) {
  if (name.empty()) throw Refused(Sj("サイト名が指定されていません"));
  if (auto site = FindSiteByName(db, name)) return *site;
  throw Refused(Sj("サイトが見つかりません : ") + std::string(name));
}

Site RequireSiteByUser(Db& db, std::string_view sysuser) {
  if (sysuser.empty()) throw Refused(Sj("システムユーザーが指定されていません"));
  if (auto site = FindSiteByUser(db, sysuser)) return *site;
  throw Refused(Sj("サイトが見つかりません : ") + std::string(sysuser));
}

void RequireServedHere(const Site& site, const std::string& publicHost) {
  if (publicHost.empty() || EqualsIgnoreCase(site.host, publicHost)) return;
  throw Refused(Sj("このホストのサイトではありません : ") + site.name);
}

Member Authenticate(Db& db, const Site& site, const Form& form, const char* nickField) {
  const std::string& nick = form.Get(nickField);
  if (nick.empty()) throw Refused(Sj("項目がありません : ") + nickField);
  // Guessing is slowed: after a few failures for one member or from one address, every further
  // attempt must wait (longer after each failure) and is refused unchecked until then.
  const std::string member = nick + "%" + site.name;
  const std::string address = form.peer.empty() ? "-" : form.peer;
  const std::int64_t now = std::time(nullptr);
  if (std::int64_t wait =
          std::max(MemberLogins().Wait(member, now), AddressLogins().Wait(address, now))) {
    LogRequest("-", "LOGIN", member,
               "from " + address + " refused: wait " + std::to_string(wait) + " s");
    throw Refused(Sj("パスワードの誤りが続いたため受け付けません。" + std::to_string(wait) +
                     " 秒後にやり直してください"));
  }
  const std::string& password = form.Get("USERPASS");
  Stmt s = db.Prepare("SELECT id, passhash FROM member WHERE site_id = ?1 AND nick = ?2");
  s.Bind(1, site.id).Bind(2, nick);
  bool found = s.Step();
  bool ok = found && VerifyPassword(s.Text(1), password);
  if (found && !ok && form.multipart && password.find("\x81\x93") != std::string::npos) {
    ok = VerifyPassword(s.Text(1), ReplaceChars(password, "\x81\x93", "%"));
  }
  if (!ok) {
    int forMember = MemberLogins().Fail(member, now);
    int fromAddress = AddressLogins().Fail(address, now);
    LogRequest("-", "LOGIN", member,
               "from " + address + " wrong password: " + std::to_string(forMember) +
                   " failures for the member, " + std::to_string(fromAddress) +
                   " from the address");
    // The same text for an unknown nickname and a wrong password.
    throw Refused(Sj("ニックネームまたはパスワードが違います"));
  }
  MemberLogins().Clear(member);
  return Member{s.Int(0), nick, site};
}

}  // namespace sorami::site
