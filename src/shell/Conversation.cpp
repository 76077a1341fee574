#include "shell/Conversation.h"

#include "platform/Codepage.h"
#include "site/Receipts.h"
#include "site/SendHttp.h"
#include "site/SiteIchiran.h"

namespace sorami {

std::string SendReadReceipt(AppState& st, int32_t row) {
  if (st.receipts.Sent(st.store, row)) return "receipt sent before: " + std::to_string(row);
  const SiteLogin reader{st.cur.site, st.cur.account, "", st.cur.host, st.cur.user, st.cur.dyn};
  std::string msg;
  // A sender's host that cannot be reached gets the receipt through the directory server.
  const DepositReceipt deposit = [&st](const std::string& key,
                                       const std::vector<std::string>& fields, std::string& out) {
    return AzukariSend(st.site, -1, key, fields, out);
  };
  if (!SendFeedBack(st.site, reader, st.store, row, deposit, msg)) return msg;
  // Only a receipt that went out is remembered: a failed one goes again at the next reading.
  if (!st.receipts.Add(st.store, row)) msg += " (Cannot Write: Receipted.dat)";
  return msg;
}

bool ReplyCompose(AppState& st, int32_t row, ReplyKind kind, ComposeFields& fields) {
  ReplyFields r;
  if (!Henshin(st.log, st.store, row, kind, r)) return false;
  fields.to = r.to;
  fields.title = r.title;
  fields.kankei = r.kankei;
  fields.body = r.body;
  if (r.sets_cc_bcc) {
    fields.cc = r.cc;
    fields.bcc = r.bcc;
  }
  return true;
}

std::string ReportClaim(AppState& st, int32_t row, const ClaimChoice& choice) {
  st.log.Log("nm:" + std::to_string(row));
  if (row < 0 || row >= st.store.CtMaster()) return "エラー:"_cp932 + std::to_string(row);
  SiteGuard guard(st.site);
  if (!guard.acquired()) return BusyMessage();
  std::string msg;
  ClaimReport(st.site, ClaimFields(st.store, row, choice), msg);
  return msg;
}

}  // namespace sorami
