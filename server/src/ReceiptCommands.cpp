// Read receipts. A reader's client gives the receipt to the sender's host (FEEDBACK) or, when
// that host cannot be reached, deposits it with the directory server (OPTION=AZUKARI); both
// end up in the same table, and the sender's next GETFEEDBACK collects them once.
#include "Commands.h"
#include "Sites.h"
#include "Text.h"

namespace sorami::site {
namespace {

Member RequireSender(Db& db, const Site& site, const std::string& nick) {
  if (std::optional<Member> m = FindMember(db, site, nick)) return *m;
  throw Refused(Sj("送信者が見つかりません : ") + nick);
}

// Stores the receipt for the sender's message of FROMDATE, refusing one for a message that was
// never delivered to the reader.
void StoreReceipt(Db& db, const Member& sender, const Form& f, bool deposited) {
  Site readerSite = RequireSiteByUser(db, Required(f, "TOUSER"));
  const std::string& readerNick = Required(f, "TONAME");
  std::optional<Member> reader = FindMember(db, readerSite, readerNick);
  if (!reader) throw Refused(Sj("確認者が見つかりません : ") + readerNick);
  const std::string& fromdate = Required(f, "FROMDATE");
  Stmt s = db.Prepare(
      "SELECT 1 FROM delivery d JOIN letter l ON l.id = d.letter_id "
      "WHERE l.sender_id = ?1 AND l.fromdate = ?2 AND d.member_id = ?3");
  s.Bind(1, sender.id).Bind(2, fromdate).Bind(3, reader->id);
  if (!s.Step()) throw Refused(Sj("該当するメッセージがありません : ") + fromdate);
  Stmt ins = db.Prepare(
      "INSERT INTO receipt(member_id, fromdate, confirmed, reader_id, deposited) "
      "VALUES (?1, ?2, ?3, ?4, ?5)");
  ins.Bind(1, sender.id).Bind(2, fromdate).Bind(3, Now()).Bind(4, reader->id);
  ins.Bind(5, std::int64_t{deposited ? 1 : 0}).Run();
}

// The reader's client parses the answer value once more: its first line is a status line.
Answer Accepted(std::string head, std::string_view message) {
  Answer a = Success(std::move(head), message);
  a.lines.push_back("FEEDBACK\t" + std::string(kOkMark) + Sj("確認受付完了"));
  return a;
}

}  // namespace

Answer Feedback(const Request& r) {
  Site site = RequireSiteByUser(r.db, Required(r.form, "FROMUSER"));
  RequireServedHere(site, r.config.publicHost);
  Member sender = RequireSender(r.db, site, Required(r.form, "FROMNAME"));
  StoreReceipt(r.db, sender, r.form, false);
  return Accepted("FEEDBACK", "受付完了");
}

Answer Deposit(const Request& r) {
  const std::string& command = r.form.Get("COMMAND");
  if (command != "FEEDBACK") throw Refused(Sj("預かりできない要求です : ") + command);
  const std::string& key = Required(r.form, "DYNAMIC");
  std::optional<Site> keySite = FindSiteByDynName(r.db, DynName(key));
  if (!keySite || keySite->dynkey != key) {
    throw Refused(Sj("動的ホストキーが見つかりません : ") + key);
  }
  Site site = RequireSiteByUser(r.db, Required(r.form, "FROMUSER"));
  if (site.id != keySite->id) throw Refused(Sj("動的ホストキーと送信者のサイトが一致しません"));
  Member sender = RequireSender(r.db, site, Required(r.form, "FROMNAME"));
  StoreReceipt(r.db, sender, r.form, true);
  return Accepted("AZUKARI", "預かり完了");
}

Answer GetFeedback(const Request& r) {
  Site site = RequireSiteByName(r.db, Required(r.form, "FROMSITE"));
  RequireServedHere(site, r.config.publicHost);
  Member me = Authenticate(r.db, site, r.form, "FROMNAME");
  Transaction tx(r.db);
  // Field 5 names the reader, so copies of one date sent to different members are told apart.
  Stmt s = r.db.Prepare(
      "SELECT r.fromdate, r.confirmed, m.nick, t.name FROM receipt r "
      "JOIN member m ON m.id = r.reader_id JOIN site t ON t.id = m.site_id "
      "WHERE r.member_id = ?1 ORDER BY r.id");
  s.Bind(1, me.id);
  std::vector<std::string> lines;
  while (s.Step()) {
    lines.push_back(std::to_string(lines.size() + 1) + "\t" + EscapeField(s.Text(0)) + "\t" +
                    s.Text(1) + "\tFEEDBACK\t" + EscapeField(s.Text(2) + "%" + s.Text(3)));
  }
  r.db.Prepare("DELETE FROM receipt WHERE member_id = ?1").Bind(1, me.id).Run();
  tx.Commit();
  Answer a = Success("GETFEEDBACK", "確認 " + std::to_string(lines.size()) + " 件");
  a.lines = std::move(lines);
  return a;
}

}  // namespace sorami::site
