#include "site/Receipts.h"

#include <algorithm>
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

// A sent copy still waiting for its receipt, in whatever folder it was filed: a site message
// written here (received ones carry their sender's host), sent (not a draft), not yet confirmed.
bool WaitsForReceipt(const TArMastd& store, int32_t row) {
  const std::string_view read_date = store.Get(row, MastCol::kReadDate);
  return (read_date == UnreadMark() || read_date == UnknownResultMark()) &&
         store.Get(row, MastCol::kCategory) != MailCategory() &&
         store.Get(row, MastCol::kSenderHost).empty() &&
         store.Get(row, MastCol::kFolder) != FolderName(Folder::kDraft) &&
         store.Get(row, MastCol::kSendDate) != "(未送信)"_cp932;
}

// Whether sent copy row names reader ("nickname%site") in To, CC or Bcc. An address without a
// site is on the sender's own site; a relation suffix ("/9") is not part of the address.
bool AddressedTo(const TArMastd& store, int32_t row, std::string_view reader) {
  const std::string own_site(store.Get(row, MastCol::kSenderSite));
  for (MastCol c : {MastCol::kTo, MastCol::kCc, MastCol::kBcc}) {
    std::string list(store.Get(row, c));
    ReplaceAll("％"_cp932, "%", list);
    ReplaceAll("、"_cp932, ",", list);
    std::string_view rest = list, piece;
    while (!rest.empty()) {
      CutBytes(",", rest, piece);
      piece = TrimBytes(piece);
      const size_t slash = piece.rfind('/');
      if (slash != std::string_view::npos) {
        const std::string_view tail = piece.substr(slash + 1);
        if (!tail.empty() && tail.find_first_not_of("-0123456789") == std::string_view::npos) {
          piece = piece.substr(0, slash);
        }
      }
      std::string address(piece);
      if (piece.find('%') == std::string_view::npos) address += "%" + own_site;
      if (address == reader) return true;
    }
  }
  return false;
}

WaitingReceipt ReceiptOf(const SiteAccount& reader, const TArMastd& store, int32_t row) {
  WaitingReceipt r;
  r.key = ReceiptLedger::KeyOf(store, row);
  r.host = std::string(store.Get(row, MastCol::kSenderHost));
  r.dyn_key = std::string(store.Get(row, MastCol::kDynamicHost));
  r.fields = {"COMMAND=FEEDBACK",
              "TONAME=" + reader.nickname,
              "TOHOST=" + reader.host,
              "TOUSER=" + reader.sys_user,
              "FROMNAME=" + std::string(store.Get(row, MastCol::kSender)),
              "FROMDATE=" + std::string(store.Get(row, MastCol::kDate)),
              "FROMUSER=" + std::string(store.Get(row, MastCol::kSenderUser)),
              "FROMHOST=" + r.host};
  return r;
}

DepositReceipt DepositWith(SiteSession& ss) {
  return [&ss](const std::string& key, const std::vector<std::string>& fields, std::string& out) {
    return AzukariSend(ss, -1, key, fields, out);
  };
}

}  // namespace

bool SendFeedBack(SiteSession& ss, const SiteAccount& reader, const TArMastd& store, int32_t row,
                  const DepositReceipt& deposit, std::string& msg) {
  ss.log.Log(".SendFeedBack:" + std::to_string(row));
  return GiveReceipt(ss, ReceiptOf(reader, store, row), deposit, msg) == ReceiptOutcome::kGiven;
}

ReceiptOutcome GiveReceipt(SiteSession& ss, const WaitingReceipt& r, const DepositReceipt& deposit,
                           std::string& msg) {
  ss.log.Log("host:" + r.host);
  const SiteAnswer a = SendHTTP(ss, SiteRequest::kFeedback, r.host, r.fields);
  msg = a.msg;
  if (a.ok()) {
    // The value's first line is the receipt's own status line.
    std::string inner;
    return GetResult(a.value, inner, msg) ? ReceiptOutcome::kGiven : ReceiptOutcome::kRefused;
  }
  // A host that refused the receipt would refuse it through the directory server too.
  if (a.outcome == SiteOutcome::kRefused) return ReceiptOutcome::kRefused;
  ss.log.Log("Dynamic:" + r.dyn_key);
  if (r.dyn_key.empty() || !deposit) return ReceiptOutcome::kNotGiven;
  std::string deposit_msg;
  if (!deposit(r.dyn_key, r.fields, deposit_msg)) {
    ss.log.Log("False:" + deposit_msg);
    msg = deposit_msg;
    return ReceiptOutcome::kNotGiven;
  }
  ss.log.Log("OK:" + deposit_msg);
  // The deposit's own outcome, not the parse of the failed request's answer.
  msg = deposit_msg;
  return ReceiptOutcome::kGiven;
}

std::string SendReadReceiptAs(SiteSession& ss, const SiteAccount& reader, const TArMastd& store,
                              ReceiptLedger& ledger, int32_t row) {
  if (ledger.Sent(store, row)) return "receipt sent before: " + std::to_string(row);
  ss.log.Log(".SendFeedBack:" + std::to_string(row));
  WaitingReceipt r = ReceiptOf(reader, store, row);
  std::string msg;
  switch (GiveReceipt(ss, r, DepositWith(ss), msg)) {
    case ReceiptOutcome::kGiven:
      if (!ledger.Add(store, row)) msg += " (Cannot Write: Receipted.dat)";
      break;
    case ReceiptOutcome::kRefused:
      break;
    case ReceiptOutcome::kNotGiven:
      msg += ledger.Wait(std::move(r)) ? " (receipt waits for the next fetch)"
                                       : " (Cannot Write: ReceiptWaiting.dat)";
      break;
  }
  return msg;
}

int SendWaitingReceipts(SiteSession& ss, ReceiptLedger& ledger) {
  // A copy: giving a receipt changes the list.
  const std::vector<WaitingReceipt> waiting = ledger.Waiting();
  int given = 0;
  for (const WaitingReceipt& r : waiting) {
    ss.log.Log(".SendWaitingReceipt:" + r.key);
    std::string msg;
    const ReceiptOutcome outcome = GiveReceipt(ss, r, DepositWith(ss), msg);
    ss.log.Log(msg);
    if (outcome == ReceiptOutcome::kGiven) {
      ++given;
      ledger.AddKey(r.key);
    } else if (outcome == ReceiptOutcome::kRefused) {
      ledger.Drop(r.key);
    }
  }
  return given;
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
  std::unordered_map<std::string, std::vector<int32_t>> waiting;
  for (int32_t r = 0; r < store.CtMaster(); ++r) {
    if (WaitsForReceipt(store, r)) waiting[std::string(store.Get(r, MastCol::kDate))].push_back(r);
  }
  std::string_view rest = value, line;
  while (!rest.empty()) {
    CutLine(rest, line);
    line = TrimBytes(line);
    if (line.empty()) continue;
    std::string_view f[6];
    for (std::string_view& field : f) SplitToken("\t", line, field);
    if (f[0].substr(0, 3) == "SYS" || f[3] != "FEEDBACK") continue;
    const auto it = waiting.find(std::string(f[1]));
    if (it == waiting.end()) continue;
    // A receipt naming its reader confirms only the copies that reader was sent.
    const std::string_view reader = TrimBytes(f[4]);
    std::vector<int32_t>& rows = it->second;
    const auto confirmed = std::stable_partition(rows.begin(), rows.end(), [&](int32_t r) {
      return !reader.empty() && !AddressedTo(store, r, reader);
    });
    for (auto r = confirmed; r != rows.end(); ++r) {
      store.Set(*r, MastCol::kReadDate, f[2]);
      ++count;
    }
    rows.erase(confirmed, rows.end());
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
