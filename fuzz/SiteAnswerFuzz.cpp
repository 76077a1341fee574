// libFuzzer target: a site service's answer as the client reads it: the status line, the
// message lines of a fetch (twice: the second stores nothing new) and the receipt lines.
#include <array>

#include "FuzzFiles.h"
#include "site/Fetch.h"
#include "site/Receipts.h"
#include "site/SiteWire.h"
#include "store/Folders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorami;
  const std::string body(fuzz::Input(data, size));
  DiagLog log;
  AccountLog aclog;
  SiteSession ss(log, aclog);
  TArMastd store;
  // A sent copy waiting for its receipt, to be matched by the receipt lines.
  std::array<std::string_view, TArMastData::kColumns> cols{};
  cols[ColIndex(MastCol::kDate)] = "2026/01/01 00:00:00";
  cols[ColIndex(MastCol::kTo)] = "a%b,c";
  cols[ColIndex(MastCol::kFolder)] = FolderName(Folder::kSent);
  cols[ColIndex(MastCol::kReadDate)] = UnreadMark();
  store.Append(cols);

  std::string value, msg;
  GetResult(body, value, msg);
  // The whole body too: a service need not put a status line first.
  for (const std::string& v : {value, body}) {
    DispMessages(ss, store, "h", v, {}, msg);
    if (DispMessages(ss, store, "h", v, {}, msg) != 0) fuzz::Broken();
    int count = 0;
    SetFeedBack(log, store, v, count);
    if (count < 0 || count > store.CtMaster()) fuzz::Broken();
  }
  return 0;
}
