// SENDWIN: a member's message to other members, with its attachments. The whole send is one
// transaction: every recipient gets the message or, when any address is unknown, none does.
#include <set>
#include <stdexcept>

#include "Commands.h"
#include "Names.h"
#include "Sites.h"
#include "Text.h"

namespace sorami::site {
namespace {

// Every member named in To, CC and Bcc, once each, in that order.
std::vector<std::int64_t> Recipients(Db& db, const Form& form, const Site& ownSite) {
  std::vector<std::int64_t> ids;
  std::set<std::int64_t> seen;
  for (const char* field : {"TONAME", "CC", "BCC"}) {
    for (const SiteAddress& a : ParseSiteAddresses(form.Get(field), ownSite.name)) {
      std::optional<Site> site = FindSiteByName(db, a.site);
      std::optional<Member> m = site ? FindMember(db, *site, a.nick) : std::nullopt;
      if (!m) throw Refused(Sj("宛先不明 : ") + a.text);
      if (seen.insert(m->id).second) ids.push_back(m->id);
    }
  }
  if (ids.empty()) throw Refused(Sj("宛先がありません"));
  return ids;
}

}  // namespace

Answer SendWin(const Request& r) {
  const Form& f = r.form;
  Site site = RequireSiteByName(r.db, Required(f, "FROMSITE"));
  RequireServedHere(site, r.config.publicHost);
  Member from = Authenticate(r.db, site, f, "FROMNAME");
  // The send date is half of the key by which clients recognise a message and match receipts.
  const std::string& fromdate = Required(f, "FROMDATE");

  Transaction tx(r.db);
  std::vector<std::int64_t> recipients = Recipients(r.db, f, site);
  Stmt letter = r.db.Prepare(
      "INSERT INTO letter(sender_id, received, fromdate, toname, tolist, cc, bcc, replyto, "
      "title, honbun, kankei, shubetsu) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
      "?12)");
  letter.Bind(1, from.id).Bind(2, Now()).Bind(3, fromdate).Bind(4, f.Get("TONAME"));
  letter.Bind(5, f.Get("TOLIST")).Bind(6, f.Get("CC")).Bind(7, f.Get("BCC"));
  letter.Bind(8, f.Get("REPLYTO")).Bind(9, f.Get("TITLE")).Bind(10, f.Get("HONBUN"));
  letter.Bind(11, f.Get("KANKEI")).Bind(12, f.Get("SHUBETSU")).Run();
  std::int64_t letterId = r.db.LastId();

  std::vector<std::string> sent;
  for (const UploadedFile& file : f.files) sent.push_back(file.filename);
  std::vector<std::string> names = AttachmentNames(sent);
  for (std::size_t i = 0; i < names.size(); ++i) {
    Stmt a =
        r.db.Prepare("INSERT INTO attachment(letter_id, seq, name, data) VALUES (?1, ?2, ?3, ?4)");
    a.Bind(1, letterId).Bind(2, static_cast<std::int64_t>(i)).Bind(3, names[i]);
    a.Bind(4, f.files[i].data).Run();
  }
  for (std::int64_t member : recipients) {
    // A clash of two random numbers is so unlikely that a second draw always ends it.
    for (int attempt = 0;; ++attempt) {
      Stmt d = r.db.Prepare(
          "INSERT OR IGNORE INTO delivery(letter_id, member_id, number) VALUES (?1, ?2, ?3)");
      d.Bind(1, letterId).Bind(2, member).Bind(3, RandomNumber()).Run();
      if (r.db.Changes() == 1) break;
      if (attempt == 3) throw std::runtime_error("no free message number");
    }
  }
  tx.Commit();

  Answer a = Success("SENDWIN", "送信完了");
  a.lines.push_back(Sj("送信受付完了 " + std::to_string(recipients.size()) + " 件"));
  return a;
}

}  // namespace sorami::site
