// A retrieved mail read the way the POP3 receive stores it.
#pragma once

#include <string>

#include "mail/mime/VexMsg.h"
#include "mail/mime/VexPop.h"

namespace sorami {

// The text fixes the receive applies after parsing: fields that still hold JIS (text a
// sender put into a header without encoding it) become Shift_JIS, and a JIS subject that
// lost its escape bytes ("$B...(B") gets them back.
void ApplyReceiveFixes(TVexMsg& msg);

// Reads msg.Lines as the receive does: GetBasicHeaders, ParseMsg, ApplyReceiveFixes. A
// failure inside parsing joins msg.Damage; every damage is logged, the mail keeps what was
// read, and the result is false when there is any.
bool ParseReceivedMail(TVexPOP& parser, TVexMsg& msg);

}  // namespace sorami
