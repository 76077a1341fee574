#include "site/Fetch.h"

#include <charconv>

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "site/HostLookup.h"
#include "site/SendHttp.h"
#include "store/Folders.h"
#include "store/StoreOps.h"

namespace sorami {

namespace {

bool IsInteger(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

// The account's status text for a number of new records.
std::string DispMessagesText(int count) {
  return count > 0 ? "新着メッセージ : "_cp932 + std::to_string(count) + " 件"_cp932
                   : "新着メッセージなし"_cp932;
}

// Whether an answer holds a message line (its first field a number).
bool HoldsMessages(std::string_view value) {
  std::string_view line, first;
  while (!value.empty()) {
    CutBytes("\r\n", value, line);
    line = TrimBytes(line);
    CutBytes("\t", line, first);
    if (IsInteger(first)) return true;
  }
  return false;
}

}  // namespace

int DispMessages(SiteSession& ss, TArMastd& store, const std::string& host,
                 const std::string& value, const FetchHooks& hooks, std::string& msg) {
  ss.log.Log(".DispMessages :" + value.substr(0, 40));
  int count = 0;
  std::string_view rest = value;
  std::string_view raw;
  while (!rest.empty()) {
    // Lines and fields are cut as bytes: a stray lead byte at the end of a field must not
    // take the TAB or CR after it for its second byte and swallow the next message.
    CutBytes("\r\n", rest, raw);
    std::string_view line = TrimBytes(raw);
    ss.log.Log("LN:" + std::string(line));
    // A fresh work row for every line: a short line never inherits an earlier line's fields.
    MastFields row;
    std::string_view field;
    for (int k = 1; k <= 23 && !line.empty(); ++k) {
      CutBytes("\t", line, field);
      row[static_cast<size_t>(k)] = std::string(field);
    }
    if (!IsInteger(row[1])) continue;
    if (ExistsMaster(store, ss.log, row)) continue;
    ss.log.Log("Arline[1]:" + row[1] + " ArLine[2]:" + row[2]);
    ++count;
    ss.log.Log(row[1] + " " + row[3]);
    row[MastCol::kFolder] = std::string(FolderName(Folder::kInbox));
    // The files come first: the record lists them under the names they were saved as.
    if (!row[MastCol::kAttachments].empty()) {
      ss.log.Log("添付 : "_cp932 + row[MastCol::kAttachments]);
      std::string tmsg;
      if (hooks.download_tenpu) {
        hooks.download_tenpu(host, row[MastCol::kRecipientUser], row[MastCol::kServerNo],
                             row[MastCol::kAttachments], tmsg);
      }
      ss.log.Log(tmsg);
    }
    AddMaster(store, ss.log, false, row);
  }
  msg = DispMessagesText(count);
  return count;
}

namespace {

// One request for the account's waiting messages, to host (which follows a moved dynamic
// host).
SiteAnswer AskMessages(SiteSession& ss, const SiteAccount& a, SiteRequest kind, std::string& host) {
  const std::vector<std::string> fields = {"COMMAND=" + std::string(SiteRequestName(kind)),
                                           "TOSITE=" + a.site,
                                           "TOUSER=" + a.sys_user,
                                           "TONAME=" + a.nickname,
                                           "USERPASS=" + a.password,
                                           "FROMHOST=" + a.host,
                                           "FROMUSER=" + a.sys_user};
  return SendWithHostRetry(ss, kind, host, a.dyn_key, fields);
}

}  // namespace

AccountFetch GetMessage(SiteSession& ss, TArMastd& store, const SiteAccount& a, bool leave_on_site,
                        const FetchHooks& hooks, std::string& msg) {
  ss.log.Log(".GetMessage :" + a.site);
  AccountFetch out;
  std::string host = a.host;
  // "GET" leaves the messages on the site: whatever happens before they are saved (a crash,
  // a full disk), the next fetch brings them again.
  const SiteAnswer got = AskMessages(ss, a, SiteRequest::kGet, host);
  msg = got.msg;
  // A failed look-up of a moved host is a failed fetch too, not "nothing new".
  if (!got.ok()) return out;
  out.added = DispMessages(ss, store, host, got.value, hooks, msg);
  ss.log.Log(msg);
  const std::string fetched_msg = msg;
  // Before the site deletes anything the store is saved, also when every message was stored
  // already: an earlier save may have failed and left them in memory only.
  const bool must_save = out.added > 0 || (!leave_on_site && HoldsMessages(got.value));
  if (must_save && hooks.save && !hooks.save(msg)) {
    out.result = FetchResult::kSaveFailed;
    return out;
  }
  if (!leave_on_site && hooks.save) {
    // Saved: now the site may delete. Its answer is stored too, as it may hold messages that
    // came in after the "GET"; those already stored are skipped as duplicates.
    const SiteAnswer del = AskMessages(ss, a, SiteRequest::kGetDel, host);
    if (!del.ok()) {
      msg = del.msg;  // left on the site: the next fetch deletes them
      return out;
    }
    std::string del_msg;
    const int more = DispMessages(ss, store, host, del.value, hooks, del_msg);
    if (more > 0) {
      out.added += more;
      if (!hooks.save(msg)) {
        out.result = FetchResult::kSaveFailed;
        return out;
      }
    }
    msg = DispMessagesText(out.added);
  } else {
    msg = fetched_msg;
  }
  out.result = FetchResult::kDone;
  return out;
}

FetchOutcome SaishinShutoku(SiteSession& ss, TArMastd& store,
                            const std::vector<SiteAccount>& accounts, int row,
                            const FetchHooks& hooks) {
  FetchOutcome out;
  ss.log.Log("SaishinShutoku :" + std::to_string(row));
  out.checked_at = NowText();
  for (size_t i = 0; i < accounts.size(); ++i) {
    if (row >= 0 && static_cast<size_t>(row) != i) continue;
    try {
      const SiteAccount& a = accounts[i];
      ss.log.Log("●"_cp932 + a.site);
      if (!a.enabled) {
        ss.log.Log("無効"_cp932);
        continue;
      }
      std::string msg;
      const AccountFetch got = GetMessage(ss, store, a, ss.leave_on_site, hooks, msg);
      if (got.added > 0) out.any_new = out.changed = true;
      ss.log.Log(msg);
      ss.aclog.AddLogLine("GET ", a.nickname, a.site, a.host, a.sys_user, msg);
      if (got.result == FetchResult::kSaveFailed) {
        // What came is in memory only: no further site is asked to delete anything.
        out.save_failed = true;
        out.save_msg = msg;
        break;
      }
      if (got.result == FetchResult::kFailed) ++out.failed;
      std::string fmsg;
      if (hooks.get_feedback && hooks.get_feedback(a, fmsg)) {
        // The site hands receipts over once: they are saved at once as well.
        out.changed = true;
        std::string saved;
        if (hooks.save && !hooks.save(saved)) {
          out.save_failed = true;
          out.save_msg = saved;
          ss.log.Log(saved);
          break;
        }
      }
      ss.log.Log(fmsg);
      ss.aclog.AddLogLine("FEED", a.nickname, a.site, a.host, a.sys_user, fmsg);
    } catch (...) {
      ss.log.Log("ERROR");
      ++out.failed;
    }
  }
  return out;
}

}  // namespace sorami
