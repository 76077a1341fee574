// Reply, reply to all and resend: the compose window's fields filled from a record. Replies
// quote the body line by line with ">".
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

struct ReplyFields {
  std::string to, cc, bcc, title, kankei, body;
  bool sets_cc_bcc = true;  // a resend leaves the compose window's CC and Bcc as they are
};

// Every line of text (lines end at CR LF; the part after the last one is a line too) with
// the prefix in front, joined by CR LF.
std::string ConvInyou(DiagLog& log, std::string_view text, std::string_view prefix);

// "Re: " in front of a title that does not hold "Re:" (case-sensitive).
std::string ReplyTitle(std::string_view title);

// The compose fields for record row; false when row is no record.
bool Henshin(DiagLog& log, const TArMastd& store, int32_t row, ReplyKind kind, ReplyFields& out);

}  // namespace sorami
