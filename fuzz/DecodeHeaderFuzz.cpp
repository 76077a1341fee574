// libFuzzer target: header text through the encoded-word decoder and the routines that read
// header values, and the Japanese byte filters on the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/mime/Base64.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailDate.h"
#include "mail/mime/MailHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string decoded = sorami::DecodeHeader(text);
  // Decoded header text holds no control characters.
  for (char c : decoded) {
    if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
  }
  sorami::DecodeAddressField(text);
  sorami::DecodeAddressList(text);
  sorami::DecodeSubjectText(text);
  sorami::GetMimeParam(text, "filename");
  sorami::GetBoundary(text);
  sorami::MailDateTime when = 0;
  sorami::ParseMailDate(text, when);

  sorami::DetectKanjiCode(text);
  sorami::JisToSjis(text);
  sorami::JisToEuc(text);
  sorami::EucToSjis(text);
  sorami::EucToJis(text);
  sorami::SjisToEuc(text);
  sorami::HankakuToZenkakuSjis(text, 0);
  // Text that went out as JIS and came back is stable under a second round trip (escape
  // and shift bytes of its own would start sets JIS output never uses).
  if (text.find_first_of("\x1B\x0E\x0F") == std::string::npos) {
    const std::string back = sorami::JisToSjis(sorami::SjisToJis(text));
    if (sorami::JisToSjis(sorami::SjisToJis(back)) != back) __builtin_trap();
  }
  if (sorami::Base64Decode(sorami::Base64Encode(text)) != text) __builtin_trap();
  return 0;
}
