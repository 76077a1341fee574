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

// What the message lines of one answer brought.
struct StoredLines {
  int added = 0;        // new records stored
  int messages = 0;     // message lines read (stored now or before)
  bool capped = false;  // a further new message was left for the next fetch
};

// Stores the message lines `next` hands over (each without its line end) as inbox records,
// skipping those stored already; at most `cap` new ones (no limit when negative).
StoredLines StoreMessageLines(SiteSession& ss, TArMastd& store, const std::string& host,
                              const std::function<bool(std::string&)>& next,
                              const FetchHooks& hooks, int cap) {
  StoredLines out;
  std::string raw;
  while (next(raw)) {
    std::string_view line = TrimBytes(raw);
    ss.log.Log("LN:" + std::string(line.substr(0, 200)));
    // A fresh work row for every line: a short line never inherits an earlier line's fields.
    // Fields are cut as bytes: a stray lead byte at the end of a field must not take the TAB
    // after it for its second byte.
    MastFields row;
    std::string_view field;
    for (int k = 1; k <= 23 && !line.empty(); ++k) {
      CutBytes("\t", line, field);
      row[static_cast<size_t>(k)] = std::string(field);
    }
    if (!IsInteger(row[1])) continue;
    ++out.messages;
    if (ExistsMaster(store, ss.log, row)) continue;
    if (cap >= 0 && out.added >= cap) {
      out.capped = true;  // stays on the site: the next fetch brings it
      ss.log.Log("limit " + std::to_string(cap) + " reached");
      break;
    }
    ss.log.Log("Arline[1]:" + row[1] + " ArLine[2]:" + row[2]);
    ++out.added;
    ss.log.Log(row[1] + " " + row[3]);
    row[MastCol::kFolder] = std::string(FolderName(Folder::kInbox));
    // The record lists its files under the local names kept for them; they come later.
    if (!row[MastCol::kAttachments].empty()) {
      ss.log.Log("添付 : "_cp932 + row[MastCol::kAttachments]);
      if (hooks.keep_tenpu) {
        hooks.keep_tenpu(host, row[MastCol::kRecipientUser], row[MastCol::kServerNo],
                         row[MastCol::kAttachments]);
      }
    }
    AddMaster(store, ss.log, false, row);
  }
  return out;
}

// The lines of a spooled answer's value.
std::function<bool(std::string&)> SpoolLines(AnswerSpool& spool) {
  return [&spool](std::string& line) { return spool.file.NextLine(line, !spool.lf_only); };
}

}  // namespace

int DispMessages(SiteSession& ss, TArMastd& store, const std::string& host,
                 const std::string& value, const FetchHooks& hooks, std::string& msg) {
  ss.log.Log(".DispMessages :" + value.substr(0, 40));
  std::string_view rest = value;
  const auto next = [&rest](std::string& line) {
    if (rest.empty()) return false;
    std::string_view raw;
    CutBytes("\r\n", rest, raw);
    line.assign(raw);
    return true;
  };
  const int count = StoreMessageLines(ss, store, host, next, hooks, -1).added;
  msg = DispMessagesText(count);
  return count;
}

namespace {

// One request for the account's waiting messages, to host (which follows a moved dynamic
// host).
SiteAnswer AskMessages(SiteSession& ss, const SiteAccount& a, SiteRequest kind, std::string& host,
                       AnswerSpool& spool) {
  const std::vector<std::string> fields = {"COMMAND=" + std::string(SiteRequestName(kind)),
                                           "TOSITE=" + a.site,
                                           "TOUSER=" + a.sys_user,
                                           "TONAME=" + a.nickname,
                                           "USERPASS=" + a.password,
                                           "FROMHOST=" + a.host,
                                           "FROMUSER=" + a.sys_user};
  return SendWithHostRetry(ss, kind, host, a.dyn_key, fields, &spool);
}

}  // namespace

AccountFetch GetMessage(SiteSession& ss, TArMastd& store, const SiteAccount& a, bool leave_on_site,
                        const FetchHooks& hooks, std::string& msg) {
  ss.log.Log(".GetMessage :" + a.site);
  AccountFetch out;
  std::string host = a.host;
  // "GET" leaves the messages on the site: whatever happens before they are saved (a crash,
  // a full disk), the next fetch brings them again. The answer, of any size, is read from a
  // scratch file, and only so many new messages are stored at a time.
  StoredLines got;
  {
    AnswerSpool spool;
    const SiteAnswer answer = AskMessages(ss, a, SiteRequest::kGet, host, spool);
    msg = answer.msg;
    // A failed look-up of a moved host is a failed fetch too, not "nothing new"; an answer
    // that could not be written down stops the fetch as a failed save does.
    if (!answer.ok()) {
      if (spool.write_failed) out.result = FetchResult::kSaveFailed;
      return out;
    }
    if (hooks.store_ready && !hooks.store_ready(msg)) {
      out.result = FetchResult::kUnreadable;  // the answer is dropped: all stays on the site
      return out;
    }
    got = StoreMessageLines(ss, store, host, SpoolLines(spool), hooks, ss.max_fetch_messages);
  }
  out.added = got.added;
  out.more_waiting = got.capped;
  msg = DispMessagesText(out.added);
  ss.log.Log(msg);
  // Before the site deletes anything the store is saved, also when every message was stored
  // already: an earlier save may have failed and left them in memory only.
  const bool must_save = out.added > 0 || (!leave_on_site && got.messages > 0);
  if (must_save && hooks.save && !hooks.save(msg)) {
    out.result = FetchResult::kSaveFailed;
    return out;
  }
  // "GETDEL" deletes every message waiting, with no way to ask for fewer: when some were left
  // for the next fetch, nothing is deleted now (the next fetch skips what is stored already).
  if (!leave_on_site && hooks.save && !got.capped) {
    // Saved: now the site may delete. Its answer is stored whole, as it may hold messages
    // that came in after the "GET"; those already stored are skipped as duplicates.
    AnswerSpool spool;
    spool.max_bytes = 2 * ss.max_fetch_answer_bytes;  // never cut what the site deletes
    const SiteAnswer del = AskMessages(ss, a, SiteRequest::kGetDel, host, spool);
    if (!del.ok()) {
      msg = del.msg;  // left on the site: the next fetch deletes them
      if (spool.write_failed) out.result = FetchResult::kSaveFailed;
      return out;
    }
    const int more = StoreMessageLines(ss, store, host, SpoolLines(spool), hooks, -1).added;
    if (more > 0) {
      out.added += more;
      if (!hooks.save(msg)) {
        out.result = FetchResult::kSaveFailed;
        return out;
      }
    }
    msg = DispMessagesText(out.added);
  }
  out.result = FetchResult::kDone;
  return out;
}

FetchOutcome SaishinShutoku(SiteSession& ss, TArMastd& store,
                            const std::vector<SiteAccount>& accounts, int row,
                            const FetchHooks& hooks) {
  FetchOutcome out;
  ss.log.Log("SaishinShutoku :" + std::to_string(row));
  // Whether the store can be looked at; when it cannot, the fetch stops there.
  const auto unreadable = [&](const std::string& why) {
    out.unreadable = true;
    out.read_msg = why;
    ss.log.Log(why);
  };
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
      if (got.result == FetchResult::kUnreadable) {
        unreadable(msg);
        break;
      }
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
      if (hooks.get_feedback && hooks.store_ready && !hooks.store_ready(fmsg)) {
        unreadable(fmsg);
        break;
      }
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
