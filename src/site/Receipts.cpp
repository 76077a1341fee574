#include "site/Receipts.h"

#include <unordered_map>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "site/HostLookup.h"
#include "site/SendHttp.h"
#include "site/SiteIchiran.h"
#include "store/Folders.h"

namespace sorami {

namespace {

bool WaitsForReceipt(const TArMastd& store, int32_t row) {
  return store.Get(row, MastCol::kFolder) == FolderName(Folder::kSent) &&
         (store.Get(row, MastCol::kReadDate) == UnreadMark() ||
          store.Get(row, MastCol::kReadDate) == UnknownResultMark()) &&
         store.Get(row, MastCol::kCategory) != MailCategory();
}

}  // namespace

std::string ReceiptLedger::KeyOf(const TArMastd& store, int32_t row) {
  std::string key(store.Get(row, MastCol::kDate));
  for (MastCol c : {MastCol::kSender, MastCol::kSenderSite, MastCol::kServerNo}) {
    key += '\t';
    key += store.Get(row, c);
  }
  return key;
}

void ReceiptLedger::Load() {
  if (loaded_) return;
  loaded_ = true;
  std::string bytes;
  if (!ReadWholeFile(file_, bytes)) return;
  std::string_view rest = bytes, line;
  while (!rest.empty()) {
    CutLine(rest, line);
    if (!line.empty()) keys_.emplace(line);
  }
}

bool ReceiptLedger::Sent(const TArMastd& store, int32_t row) {
  Load();
  return keys_.count(KeyOf(store, row)) > 0;
}

bool ReceiptLedger::Add(const TArMastd& store, int32_t row) {
  Load();
  keys_.insert(KeyOf(store, row));
  std::string bytes;
  for (const std::string& k : keys_) bytes += k + "\r\n";
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  return WriteFileAtomic(file_, bytes);
}

bool SendFeedBack(SiteSession& ss, const SiteAccount& reader, const TArMastd& store, int32_t row,
                  const DepositReceipt& deposit, std::string& msg) {
  ss.log.Log(".SendFeedBack:" + std::to_string(row));
  const std::string host(store.Get(row, MastCol::kSenderHost));
  ss.log.Log("host:" + host);
  const std::vector<std::string> fields = {
      "COMMAND=FEEDBACK",
      "TONAME=" + reader.nickname,
      "TOHOST=" + reader.host,
      "TOUSER=" + reader.sys_user,
      "FROMNAME=" + std::string(store.Get(row, MastCol::kSender)),
      "FROMDATE=" + std::string(store.Get(row, MastCol::kDate)),
      "FROMUSER=" + std::string(store.Get(row, MastCol::kSenderUser)),
      "FROMHOST=" + host};
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kFeedback, host, fields);
  msg = a.msg;
  if (a.ok()) {
    // The value's first line is the receipt's own status line.
    std::string inner;
    return GetResult(a.value, inner, msg);
  }
  // A host that refused the receipt would refuse it through the directory server too.
  if (a.outcome == SiteOutcome::kRefused) return false;
  const std::string key(store.Get(row, MastCol::kDynamicHost));
  ss.log.Log("Dynamic:" + key);
  if (key.empty() || !deposit) return false;
  std::string deposit_msg;
  if (!deposit(key, fields, deposit_msg)) {
    ss.log.Log("False:" + deposit_msg);
    msg = deposit_msg;
    return false;
  }
  ss.log.Log("OK:" + deposit_msg);
  // The deposit's own outcome, not the parse of the failed request's answer.
  msg = deposit_msg;
  return true;
}

std::string SendReadReceiptAs(SiteSession& ss, const SiteAccount& reader, const TArMastd& store,
                              ReceiptLedger& ledger, int32_t row) {
  if (ledger.Sent(store, row)) return "receipt sent before: " + std::to_string(row);
  const DepositReceipt deposit = [&ss](const std::string& key,
                                       const std::vector<std::string>& fields, std::string& out) {
    return AzukariSend(ss, -1, key, fields, out);
  };
  std::string msg;
  if (!SendFeedBack(ss, reader, store, row, deposit, msg)) return msg;
  if (!ledger.Add(store, row)) msg += " (Cannot Write: Receipted.dat)";
  return msg;
}

bool CheckMidokuSoushin(DiagLog& log, const TArMastd& store, std::string_view nickname,
                        std::string_view site) {
  log.Log(".CheckMidokuSoushin");
  for (int32_t r = 0; r < store.CtMaster(); ++r) {
    if (WaitsForReceipt(store, r) && store.Get(r, MastCol::kSenderSite) == site &&
        store.Get(r, MastCol::kSender) == nickname) {
      log.Log("Found : " + std::string(store.Get(r, MastCol::kTitle)));
      return true;
    }
  }
  return false;
}

bool SetFeedBack(DiagLog& log, TArMastd& store, std::string_view value, int& count) {
  log.Log(".SetFeedBack");
  count = 0;
  // The waiting copies by date, built once: each receipt line is then one look-up.
  std::unordered_map<std::string_view, std::vector<int32_t>> waiting;
  for (int32_t r = 0; r < store.CtMaster(); ++r) {
    if (WaitsForReceipt(store, r)) waiting[store.Get(r, MastCol::kDate)].push_back(r);
  }
  std::string_view rest = value, line;
  while (!rest.empty()) {
    CutLine(rest, line);
    line = TrimBytes(line);
    if (line.empty()) continue;
    std::string_view f[6];
    for (std::string_view& field : f) SplitToken("\t", line, field);
    if (f[0].substr(0, 3) == "SYS" || f[3] != "FEEDBACK") continue;
    const auto it = waiting.find(f[1]);
    if (it == waiting.end()) continue;
    const std::string confirmed(f[2]);
    // The store's own date text is the map's key: erase before the rows change.
    const std::vector<int32_t> rows = std::move(it->second);
    waiting.erase(it);
    for (int32_t r : rows) {
      store.Set(r, MastCol::kReadDate, confirmed);
      ++count;
    }
  }
  return count > 0;
}

bool GetFeedBack(SiteSession& ss, TArMastd& store, const SiteAccount& a, std::string& msg) {
  ss.log.Log("★.GetFeedBack :"_cp932 + a.nickname + "/" + a.site);
  if (!CheckMidokuSoushin(ss.log, store, a.nickname, a.site)) {
    ss.log.Log(" 不要(FeedBack) :"_cp932 + a.nickname);
    return false;
  }
  const std::vector<std::string> fields = {"COMMAND=GETFEEDBACK", "FROMNAME=" + a.nickname,
                                           "FROMSITE=" + a.site,  "USERPASS=" + a.password,
                                           "FROMHOST=" + a.host,  "FROMUSER=" + a.sys_user};
  std::string host = a.host;
  const SiteAnswer got = SendWithHostRetry(ss, SiteRequest::kGetFeedback, host, a.dyn_key, fields);
  if (!got.ok()) {
    msg = got.msg;
    return false;
  }
  int count = 0;
  if (SetFeedBack(ss.log, store, got.value, count)) {
    msg = "フィードバック取得完了 :"_cp932 + std::to_string(count) + " 件"_cp932;
    return true;
  }
  msg = "フィードバック該当無し"_cp932;
  return false;
}

}  // namespace sorami
