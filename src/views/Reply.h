// Reply, reply to all and resend: the compose window's fields filled from a record. Replies
// quote the body line by line with ">".
//
// A reply names its recipients so that they reach the very people of the message, whatever
// the replier's own site: a site member as "nickname%site" (a bare nickname of the message is
// a member of the writer's site), a mail sender by the bare address of the From text, never
// its display name (which would read as a site member's nickname).
#pragma once

#include <string>
#include <string_view>

#include "base/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

enum class ReplyKind {
  kSender,  // "返信(&R)", "返信する": to the sender
  kAll,     // "全員に返信": to the sender and every recipient
  kResend,  // "再送信": the same message again
};

// Who replies: left out of a reply to all.
struct ReplySelf {
  std::string nickname;      // curAccount
  std::string site;          // curSite
  std::string mail_address;  // the mail page's "アドレス"
};

struct ReplyFields {
  std::string to, cc, bcc, title, kankei, body;
  bool sets_cc_bcc = true;  // a resend leaves the compose window's CC and Bcc as they are
};

// Every line of text (lines end at CR LF; the part after the last one is a line too) with
// the prefix in front, joined by CR LF.
std::string ConvInyou(DiagLog& log, std::string_view text, std::string_view prefix);

// "Re: " in front of a title that does not hold "Re:" (case-sensitive).
std::string ReplyTitle(std::string_view title);

// The compose fields for record row; false when row is no record. A reply goes to the sender
// alone with empty CC and Bcc; a reply to all adds the message's recipients to To and its CC
// to CC, each once, without the replier; Bcc stays empty (blind copies are not shared).
bool Henshin(DiagLog& log, const TArMastd& store, int32_t row, ReplyKind kind,
             const ReplySelf& self, ReplyFields& out);

}  // namespace sorami
