// libFuzzer target: a whole received mail through the parser, as the receive reads it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/mime/ReceivedMail.h"
#include "mail/mime/VexMsg.h"
#include "mail/mime/VexPop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sorami::TVexPOP parser;
  sorami::TVexMsg msg;
  msg.Lines.AssignText(std::string(reinterpret_cast<const char*>(data), size));
  sorami::ParseReceivedMail(parser, msg);
  // Every attachment has a name that cannot leave the attachment directory.
  for (const sorami::TAttachedFile& a : msg.Attachments) {
    if (a.Name.empty() || a.Name.find('/') != std::string::npos ||
        a.Name.find_first_not_of('.') == std::string::npos) {
      __builtin_trap();
    }
  }
  return 0;
}
