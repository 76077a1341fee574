#include "Admin.h"

#include <filesystem>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "Db.h"
#include "Password.h"
#include "Sites.h"
#include "Text.h"

namespace sorami::site {
namespace {

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool Only(const std::string& s, std::string_view allowed) {
  for (char c : s) {
    bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!alnum && allowed.find(c) == std::string_view::npos) return false;
  }
  return !s.empty();
}

std::string HostArg(const std::string& text) {
  std::string host;
  int port = 0;
  if (!SplitHostPort(text, host, port, false) || !Only(host, ".-_[]:")) {
    throw Usage("not a host:port: " + text);
  }
  return text;
}

// A site name or nickname: stored as code page 932; characters that separate addresses or
// fields are refused.
std::string NameArg(const std::string& utf8, const char* what) {
  if (utf8.empty() || utf8.find_first_of("%,/\t\r\n") != std::string::npos) {
    throw Usage(std::string("not a valid ") + what + ": " + utf8);
  }
  return ToCp932(utf8);
}

Site SiteArg(Db& db, const std::string& utf8) {
  std::optional<Site> site = FindSiteByName(db, ToCp932(utf8));
  if (!site) throw Usage("no such site: " + utf8);
  return *site;
}

void AddSite(Db& db, const Args& a, std::ostream& out) {
  if (a.positional.size() != 1)
    throw Usage("addsite SITE --host H:P --user SYSUSER [--dynamic KEY] [--public]");
  std::string name = NameArg(a.positional[0], "site name");
  std::string host = HostArg(a.Option("host"));
  std::string user = a.Option("user");
  if (!Only(user, "._-")) throw Usage("not a valid system user: " + user);
  std::string key = a.Option("dynamic");
  if (!key.empty() && (DynName(key).empty() || !Only(key, "$._-"))) {
    throw Usage("a dynamic-host key is a prefix, \"$\" and the key: " + key);
  }
  if (FindSiteByName(db, name)) throw Usage("site exists: " + a.positional[0]);
  if (FindSiteByUser(db, user)) throw Usage("system user already has a site: " + user);
  Stmt s = db.Prepare(
      "INSERT INTO site(name, host, sysuser, dynkey, dynname, public) VALUES (?1, ?2, ?3, ?4, ?5, "
      "?6)");
  s.Bind(1, name).Bind(2, host).Bind(3, user);
  if (key.empty()) {
    s.BindNull(4).BindNull(5);
  } else {
    s.Bind(4, key).Bind(5, DynName(key));
  }
  s.Bind(6, std::int64_t{a.Flag("public") ? 1 : 0}).Run();
  out << "site " << a.positional[0] << " added\n";
}

void AddUser(Db& db, const Args& a, std::ostream& out) {
  if (a.positional.size() != 3) throw Usage("adduser SITE NICK PASS");
  Site site = SiteArg(db, a.positional[0]);
  std::string nick = NameArg(a.positional[1], "nickname");
  if (a.positional[2].empty()) throw Usage("the password is empty");
  if (FindMember(db, site, nick)) throw Usage("member exists: " + a.positional[1]);
  Stmt s = db.Prepare("INSERT INTO member(site_id, nick, passhash) VALUES (?1, ?2, ?3)");
  s.Bind(1, site.id).Bind(2, nick).Bind(3, HashPassword(ToCp932(a.positional[2]))).Run();
  out << "member " << a.positional[1] << "%" << a.positional[0] << " added\n";
}

void SetDyn(Db& db, const Args& a, std::ostream& out) {
  if (a.positional.size() != 2) throw Usage("setdyn KEY H:P");
  const std::string& key = a.positional[0];
  std::string host = HostArg(a.positional[1]);
  // The key in its stored form, or only the part after "$" as GETDYN asks for it.
  std::optional<Site> site =
      FindSiteByDynName(db, key.find('$') == std::string::npos ? key : DynName(key));
  if (!site || (key.find('$') != std::string::npos && site->dynkey != key)) {
    throw Usage("no site holds the dynamic-host key " + key);
  }
  db.Prepare("UPDATE site SET host = ?1 WHERE id = ?2").Bind(1, host).Bind(2, site->id).Run();
  out << "site " << ToUtf8(site->name) << " now at " << host << "\n";
}

void Notice(Db& db, const Args& a, std::ostream& out) {
  if (a.positional.size() != 1) throw Usage("notice TEXT (an empty TEXT removes the notice)");
  if (a.positional[0].empty()) {
    db.Exec("DELETE FROM notice");
    out << "notice removed\n";
    return;
  }
  db.Prepare("INSERT OR REPLACE INTO notice(id, text) VALUES (1, ?1)")
      .Bind(1, ToCp932(a.positional[0]))
      .Run();
  out << "notice set\n";
}

void List(Db& db, std::ostream& out) {
  out << "sites:\n";
  for (const Site& s : AllSites(db)) {
    out << "  " << ToUtf8(s.name) << "  host=" << s.host << "  user=" << s.sysuser;
    if (!s.dynkey.empty()) out << "  dynamic=" << s.dynkey;
    out << (s.isPublic ? "  public" : "") << "\n";
  }
  out << "members:\n";
  Stmt m = db.Prepare(
      "SELECT m.nick, s.name FROM member m JOIN site s ON s.id = m.site_id ORDER BY m.id");
  while (m.Step()) out << "  " << ToUtf8(m.Text(0)) << "%" << ToUtf8(m.Text(1)) << "\n";
  out << "pending messages:\n";
  Stmt p = db.Prepare(
      "SELECT d.id, fm.nick, fs.name, tm.nick, ts.name, l.fromdate, l.title, "
      "(SELECT count(*) FROM attachment a WHERE a.letter_id = l.id) FROM delivery d "
      "JOIN letter l ON l.id = d.letter_id JOIN member fm ON fm.id = l.sender_id "
      "JOIN site fs ON fs.id = fm.site_id JOIN member tm ON tm.id = d.member_id "
      "JOIN site ts ON ts.id = tm.site_id WHERE d.taken = 0 ORDER BY d.id");
  while (p.Step()) {
    out << "  #" << p.Int(0) << "  " << ToUtf8(p.Text(1)) << "%" << ToUtf8(p.Text(2)) << " -> "
        << ToUtf8(p.Text(3)) << "%" << ToUtf8(p.Text(4)) << "  " << ToUtf8(p.Text(5)) << "  "
        << ToUtf8(p.Text(6)) << "  (" << p.Int(7) << " attachments)\n";
  }
  Stmt n = db.Prepare("SELECT text FROM notice WHERE id = 1");
  if (n.Step()) out << "notice: " << ToUtf8(n.Text(0)) << "\n";
  Stmt c = db.Prepare("SELECT (SELECT count(*) FROM receipt), (SELECT count(*) FROM claim)");
  if (c.Step()) out << "receipts waiting: " << c.Int(0) << "\nclaims: " << c.Int(1) << "\n";
}

// The claim reports as they came, oldest first: the time received, then one "NAME=value" line
// per field (values in the escaped form they are kept in).
void Claims(Db& db, std::ostream& out) {
  Stmt c = db.Prepare("SELECT id, received, fields FROM claim ORDER BY id");
  while (c.Step()) {
    out << "claim #" << c.Int(0) << "  " << ToUtf8(c.Text(1)) << "\n";
    std::istringstream lines(c.Text(2));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out << "  " << ToUtf8(line) << "\n";
    }
  }
}

}  // namespace

bool IsAdminCommand(const std::string& command) {
  for (const char* c : {"init", "addsite", "adduser", "setdyn", "notice", "list", "claims"}) {
    if (command == c) return true;
  }
  return false;
}

int RunAdmin(const Args& a, std::ostream& out, std::ostream& err) {
  std::string path = a.Option("db");
  if (path.empty()) {
    err << a.command << ": --db FILE is needed\n";
    return 2;
  }
  if (a.command != "init" && !std::filesystem::exists(path)) {
    err << a.command << ": no database at " << path << "; run init first\n";
    return 2;
  }
  try {
    Db db(path, a.command == "init");
    if (a.command == "init") {
      db.CreateSchema();
      out << "database " << path << " ready\n";
      return 0;
    }
    if (!db.HasSchema()) throw Usage("the database is not initialised; run init first");
    if (a.command == "addsite") AddSite(db, a, out);
    if (a.command == "adduser") AddUser(db, a, out);
    if (a.command == "setdyn") SetDyn(db, a, out);
    if (a.command == "notice") Notice(db, a, out);
    if (a.command == "list") List(db, out);
    if (a.command == "claims") Claims(db, out);
    return 0;
  } catch (const Usage& e) {
    err << a.command << ": " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    err << a.command << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace sorami::site
