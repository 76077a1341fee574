#include "shell/Conversation.h"

#include "platform/Codepage.h"
#include "site/Receipts.h"

namespace sorami {

std::string SendReadReceipt(AppState& st, int32_t row) {
  // Not sent now, so not remembered: it goes at the next reading.
  BusyGuard guard(st.busy);
  if (!guard.acquired()) return BusyMessage();
  return SendReadReceiptAs(st.site, st.cur, st.store, st.receipts, row);
}

bool ReplyCompose(AppState& st, int32_t row, ReplyKind kind, ComposeFields& fields) {
  ReplyFields r;
  const ReplySelf self{st.cur.nickname, st.cur.site, st.settei.v.mail_address};
  if (!Henshin(st.log, st.store, row, kind, self, r)) return false;
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

ClaimResult ReportClaim(AppState& st, int32_t row, const ClaimChoice& choice) {
  BusyGuard guard(st.busy);
  if (!guard.acquired()) return {false, BusyMessage()};
  return ReportClaimOf(st.site, st.store, row, choice);
}

}  // namespace sorami
