#include "site/Fetch.h"

#include <charconv>

#include "platform/Codepage.h"
#include "shell/MbText.h"
#include "site/HostLookup.h"
#include "site/SendHttp.h"
#include "store/Folders.h"
#include "store/StoreOps.h"
#include "views/FolderCounts.h"

namespace sorami {

namespace {

bool IsInteger(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

}  // namespace

bool DispMessages(AppState& st, const std::string& value, const FetchHooks& hooks,
                  std::string& msg) {
  st.log.Log(".DispMessages :" + value.substr(0, 40));
  int count = 0;
  std::string_view rest = value;
  std::string_view raw;
  while (!rest.empty()) {
    SplitToken("\r\n", rest, raw);
    std::string_view line = Trim(raw);
    st.log.Log("LN:" + std::string(line));
    // A fresh work row for every line: a short line never inherits an earlier line's fields.
    MastFields row;
    std::string_view field;
    for (int k = 1; k <= 23 && !line.empty(); ++k) {
      SplitToken("\t", line, field);
      row[static_cast<size_t>(k)] = std::string(field);
    }
    if (!IsInteger(row[1])) continue;
    if (ExistsMaster(st, row)) continue;
    st.log.Log("Arline[1]:" + row[1] + " ArLine[2]:" + row[2]);
    ++count;
    st.log.Log(row[1] + " " + row[3]);
    row[kColFolder] = std::string(FolderNames[kFolderInbox]);
    AddMaster(st, false, row);
    if (!row[kColAttachments].empty()) {
      st.log.Log(Utf8ToCp932("添付 : ") + row[kColAttachments]);
      std::string tmsg;
      if (hooks.download_tenpu) {
        hooks.download_tenpu(st, st.cur.host, row[kColRecipientUser], row[kColServerNo],
                             row[kColAttachments], tmsg);
      }
      st.log.Log(tmsg);
    }
  }
  msg = count > 0 ? Utf8ToCp932("新着メッセージ : ") + std::to_string(count) + Utf8ToCp932(" 件")
                  : Utf8ToCp932("新着メッセージなし");
  return count > 0;
}

bool GetMessage(AppState& st, const FetchAccount& a, bool leave_on_site, const FetchHooks& hooks,
                std::string& msg) {
  st.log.Log(".GetMessage :" + a.site);
  const std::string command = leave_on_site ? "GET" : "GETDEL";
  const std::vector<std::string> fields = {
      "COMMAND=" + command, "TOSITE=" + a.site, "TOUSER=" + a.user, "TONAME=" + a.nickname,
      "USERPASS=" + a.password, "FROMHOST=" + a.host, "FROMUSER=" + a.user};
  std::string value;
  if (!SendHTTP(st, command, a.host, fields, value, msg)) {
    if (a.dyn.empty()) return false;
    st.log.Log("DynamicHost : " + a.dyn);
    std::string host = a.host;
    std::string dmsg;
    if (GetDynamicHost(st, a.dyn, host, dmsg)) {
      if (!SendHTTP(st, command, host, fields, value, msg)) return false;
    }
  }
  const bool result = DispMessages(st, value, hooks, msg);
  st.log.Log(msg);
  return result;
}

FetchOutcome SaishinShutoku(AppState& st, int row, const FetchHooks& hooks) {
  FetchOutcome out;
  SiteGuard guard(st);
  if (!guard.acquired()) {
    out.refused = true;
    out.status = BusyMessage();
    return out;
  }
  st.log.Log("SaishinShutoku :" + std::to_string(row));
  out.checked_at = NowText();
  const auto& rows = st.settei.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (row >= 0 && static_cast<size_t>(row) != i) continue;
    try {
      const AccountRow& r = rows[i];
      st.log.Log(Utf8ToCp932("●") + r.Get(AccountRow::kSite));
      if (!r.Enabled()) {
        st.log.Log(Utf8ToCp932("無効"));
        continue;
      }
      const FetchAccount a{r.Get(AccountRow::kAccount), r.Get(AccountRow::kSite),
                           r.Get(AccountRow::kPassword), r.Get(AccountRow::kHost),
                           r.Get(AccountRow::kDyn), r.Get(AccountRow::kUser)};
      std::string msg;
      const bool got = GetMessage(st, a, st.leave_on_site, hooks, msg);
      if (got) out.any_new = true;
      if (!got && msg != Utf8ToCp932("新着メッセージなし")) ++out.failed;
      st.log.Log(msg);
      st.aclog.AddLogLine("GET ", a.nickname, a.site, a.host, a.user, msg);
      std::string fmsg;
      if (hooks.get_feedback) hooks.get_feedback(st, a, fmsg);
      st.log.Log(fmsg);
      st.aclog.AddLogLine("FEED", a.nickname, a.site, a.host, a.user, fmsg);
    } catch (...) {
      st.log.Log("ERROR");
      ++out.failed;
    }
  }
  if (out.any_new) {
    SetDisplay(st, out.status);
  } else {
    out.status = Utf8ToCp932("新着メッセージ無し");
  }
  if (out.failed > 0) {
    out.status += Utf8ToCp932("（取得できなかったアカウント : ") + std::to_string(out.failed) +
                  Utf8ToCp932(" 件）");
  }
  return out;
}

}  // namespace sorami
