// A site host's account check and message fetch, and the attachment download.
#include <ctime>
#include <map>

#include "Commands.h"
#include "Sites.h"
#include "Text.h"

namespace sorami::site {
namespace {

std::string NoticeLine(Db& db) {
  Stmt s = db.Prepare("SELECT text FROM notice WHERE id = 1");
  if (!s.Step() || s.Text(0).empty()) return {};
  return "SYS\t" + EscapeField(s.Text(0));
}

// The names of a letter's attachments, comma separated; `names` is the prepared look-up, run
// again for every letter.
void AppendAttachmentList(std::string& out, Stmt& names, std::int64_t letterId) {
  names.Reset();
  names.Bind(1, letterId);
  std::string list;
  while (names.Step()) {
    if (!list.empty()) list += ',';
    list.append(names.View(0));
  }
  AppendEscapedField(out, list);
}

}  // namespace

Answer Check(const Request& r) {
  Site site = RequireSiteByUser(r.db, Required(r.form, "FROMUSER"));
  RequireServedHere(site, r.config.publicHost);
  Authenticate(r.db, site, r.form, "FROMNAME");
  return Success("CHECK", "アカウント確認ＯＫ");
}

Answer Fetch(const Request& r, bool remove) {
  Site site = RequireSiteByName(r.db, Required(r.form, "TOSITE"));
  RequireServedHere(site, r.config.publicHost);
  Member me = Authenticate(r.db, site, r.form, "TONAME");

  // GETDEL answers and removes in one transaction, so two fetches never both deliver a line.
  std::optional<Transaction> tx;
  if (remove) tx.emplace(r.db);
  Stmt s = r.db.Prepare(
      "SELECT d.number, l.id, l.sender_id, l.received, l.fromdate, l.toname, l.tolist, l.cc, "
      "l.replyto, l.title, l.honbun, l.kankei, l.shubetsu FROM delivery d "
      "JOIN letter l ON l.id = d.letter_id WHERE d.member_id = ?1 AND d.taken = 0 ORDER BY d.id");
  s.Bind(1, me.id);
  Stmt names = r.db.Prepare("SELECT name FROM attachment WHERE letter_id = ?1 ORDER BY seq");
  // The lines are written into one block as they are read, joined by CR LF.
  std::string block;
  std::size_t count = 0;
  std::map<std::int64_t, Member> senders;
  const std::string inbox = Sj("受信箱");
  while (s.Step()) {
    std::int64_t senderId = s.Int(2);
    if (!senders.count(senderId)) {
      std::optional<Member> m = FindMemberById(r.db, senderId);
      if (!m) continue;
      senders.emplace(senderId, *m);
    }
    const Member& from = senders.at(senderId);
    // The 23 fields of a message line, in order. Bcc recipients are not disclosed.
    const std::string number = std::to_string(++count);
    const std::string_view fields[19] = {
        number,          s.View(5),         s.View(9), s.View(10),   s.View(4),      s.View(0),
        from.nick,       s.View(3),         "",        s.View(4),    from.site.name, from.site.host,
        inbox,           from.site.sysuser, s.View(6), site.sysuser, s.View(11),     s.View(12),
        from.site.dynkey};
    if (count > 1) block += "\r\n";
    for (std::string_view f : fields) {
      AppendEscapedField(block, f);
      block += '\t';
    }
    AppendAttachmentList(block, names, s.Int(1));
    for (std::string_view f : {s.View(7), std::string_view(), s.View(8)}) {
      block += '\t';
      AppendEscapedField(block, f);
    }
  }
  // Attachments stay open for a limited time from the first delivery of their message.
  Stmt fetched = r.db.Prepare(
      "UPDATE delivery SET fetched = ?2 WHERE member_id = ?1 AND taken = 0 AND fetched IS NULL");
  fetched.Bind(1, me.id).Bind(2, static_cast<std::int64_t>(std::time(nullptr))).Run();
  if (remove) {
    Stmt del = r.db.Prepare("UPDATE delivery SET taken = 1 WHERE member_id = ?1 AND taken = 0");
    del.Bind(1, me.id).Run();
    tx->Commit();
  }
  Answer a = Success(remove ? "GETDEL" : "GET", "新着 " + std::to_string(count) + " 件");
  if (std::string notice = NoticeLine(r.db); !notice.empty()) a.lines.push_back(notice);
  a.joined = std::move(block);
  return a;
}

std::optional<std::string> Attachment(Db& db, const TenpuQuery& q, std::int64_t lifetime) {
  if (q.number.empty()) return std::nullopt;
  const std::int64_t openSince = static_cast<std::int64_t>(std::time(nullptr)) - lifetime;
  for (const std::string& name : {q.file, q.fileRaw}) {
    Stmt s = db.Prepare(
        "SELECT a.data FROM delivery d JOIN member m ON m.id = d.member_id "
        "JOIN site t ON t.id = m.site_id JOIN attachment a ON a.letter_id = d.letter_id "
        "WHERE d.number = ?1 AND t.sysuser = ?2 AND a.name = ?3 "
        "AND (d.fetched IS NULL OR d.fetched > ?4)");
    s.Bind(1, q.number).Bind(2, q.user).Bind(3, name).Bind(4, openSince);
    if (s.Step()) return s.Text(0);
  }
  return std::nullopt;
}

}  // namespace sorami::site
