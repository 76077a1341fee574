// The conversation commands as the windows and the command line run them: the read receipt of a
// message marked read (once per message), reply and resend into the compose fields, and the
// claim report of a received message.
#pragma once

#include <string>

#include "compose/ComposeCheck.h"
#include "shell/AppState.h"
#include "site/Claim.h"
#include "views/Reply.h"

namespace sorami {

// The read receipt of record row, as the current account; nothing when it went out before.
// Returns the text to log.
std::string SendReadReceipt(AppState& st, int32_t row);

// Fills fields from record row for a reply or a resend (a resend keeps fields' CC and Bcc);
// false when row is no record.
bool ReplyCompose(AppState& st, int32_t row, ReplyKind kind, ComposeFields& fields);

// Reports record row as the claim window does; refused with the busy text while another
// exchange runs.
ClaimResult ReportClaim(AppState& st, int32_t row, const ClaimChoice& choice);

}  // namespace sorami
