// Sending a whole message: its text built, its recipient lists made, the transactions run.
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailUtil.h"
#include "mail/smtp/MessageText.h"
#include "mail/smtp/TVexSMTP.h"

namespace sorami {

bool TVexSMTP::SendMessage(TVexMsg& msg) {
  if (!connected_) return Fail("Not connected.");
  if (msg.From.empty()) return Fail("\"From\" field not specified.");
  if (msg.SendTo.empty()) return Fail("\"SendTo\" field not specified.");
  msg.DateValue = MailDateTimeNow();
  msg.DateText = MailDateText(msg.DateValue);
  if (msg.MessageId.empty()) msg.MessageId = MakeMessageId(local_name_);
  std::string text, error;
  if (!BuildMessageText(msg, MakeBoundary(), MailerName, events_, EncodeProgressStep, text,
                        error)) {
    return Fail(error);
  }
  const std::vector<std::vector<std::string>> lists = {AddressListToStrings(msg.SendTo),
                                                       AddressListToStrings(msg.CC),
                                                       AddressListToStrings(msg.BCC)};
  return SendText(ExtractAddress(msg.From, false), lists, text);
}

}  // namespace sorami
