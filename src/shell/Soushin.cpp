#include "shell/Soushin.h"

#include <algorithm>

#include "base/MbText.h"
#include "compose/SendFields.h"
#include "mail/SendMail.h"
#include "mail/mime/MailAddress.h"
#include "platform/Codepage.h"
#include "shell/MailSend.h"
#include "site/Send.h"
#include "site/SiteWire.h"
#include "store/Folders.h"
#include "store/MasterFile.h"

namespace sorami {

namespace {

std::string Joined(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& s : list) {
    if (!out.empty()) out += ',';
    out += s;
  }
  return out;
}

ComposeSender SenderOf(const AppState& st) {
  return {st.cur.nickname, st.cur.site, st.settei.v.mail_name};
}

std::string& Col(OutRecord& r, MastCol c) { return r[ColIndex(c)]; }

// "送信結果不明 : " and why: the request went out whole and no answer came.
std::string UnknownResultText(const SiteAnswer& a) {
  return "送信結果不明 : 送信後に応答がありません ("_cp932 + a.msg + ")";
}

// "SENDSMTP": the mail recipients handed to the site service, which mails them for us.
bool SendThroughSite(AppState& st, ComposeOutcome& check, SendReport& report) {
  const SetteiValues& v = st.settei.v;
  const std::string to = Joined(check.mail_to);
  Col(check.record, MastCol::kTo) = to;
  Col(check.record, MastCol::kCc) = Joined(check.mail_cc);
  Col(check.record, MastCol::kBcc) = Joined(check.mail_bcc);
  std::vector<std::string> fields;
  SetStrList(st.log, check.record, "SENDSMTP", to, st.cur.password, fields);
  const SiteAnswer a = SendSmtpRequest(st.site, st.cur, fields,
                                       {v.smtp_host, v.smtp_user, v.mail_address, v.mail_name});
  report.msg = SendResultText(a);
  if (a.outcome == SiteOutcome::kNoAnswer) {
    report.unknown = true;
    report.msg = UnknownResultText(a);
  } else {
    report.compose_status.push_back(a.ok() ? report.msg : "送信失敗"_cp932);
  }
  return a.ok();
}

// "SENDWIN": the site recipients, with the send attachment list as files.
bool SendToSite(AppState& st, const OutRecord& record, const std::string& tolist,
                SendReport& report) {
  std::vector<std::string> fields;
  SetStrList(st.log, record, "SENDWIN", tolist, st.cur.password, fields);
  const SiteAnswer a = SendWinRequest(st.site, st.cur, fields);
  report.msg = SendResultText(a);
  if (a.outcome == SiteOutcome::kNoAnswer) {
    report.unknown = true;
    report.msg = UnknownResultText(a);
  }
  return a.ok();
}

// Whether the server refused this recipient text (a bare address, or a name with one).
bool Refused(const std::string& recipient, const std::vector<std::string>& refused) {
  const std::vector<std::string> bare = AddressListToStrings(recipient);
  return !bare.empty() && std::find(refused.begin(), refused.end(), bare.front()) != refused.end();
}

// The attachments column of the sent copy: the names the files went out under.
std::string SentTenpuColumn(const std::vector<std::filesystem::path>& files) {
  std::string out;
  for (const std::filesystem::path& f : files) {
    if (!out.empty()) out += ',';
    out += SendFileName(f);
  }
  return out;
}

}  // namespace

bool SoushinJikkou(AppState& st, const MailRoute& mail, ComposeFields& f, ComposeOutcome& check,
                   SendReport& report) {
  DiagLog& log = st.log;
  log.Log(".SoushinJikkou");
  const int row = st.store.CtMaster();
  if (!CheckSoushin(log, row, FolderName(Folder::kSent), f, SenderOf(st), st.send_list, check)) {
    report.msg = check.msg;
    return false;
  }
  std::string unreadable;
  if (!SendAttachmentsReadable(st.site.send_attachments, unreadable)) {
    report.msg = unreadable;
    return false;
  }
  // "SENDSMTP" carries no files: a mail through the site with files would reach its recipients
  // without them, so nothing goes out.
  if (check.mail_flag && st.settei.v.send_through_site && !st.site.send_attachments.empty()) {
    report.msg = "送信失敗 : サイト経由のメールには添付ファイルを付けられません"_cp932;
    return false;
  }
  // The files go by "SENDWIN" and by direct mail.
  if (check.site_flag || check.mail_flag) {
    Col(check.record, MastCol::kAttachments) = SentTenpuColumn(st.site.send_attachments);
  }
  log.Log("tolist:" + check.tolist);
  log.Log("curDynamic:" + st.cur.dyn_key);
  const std::string site_to = Col(check.record, MastCol::kTo);
  const std::string site_cc = Col(check.record, MastCol::kCc);
  const std::string site_bcc = Col(check.record, MastCol::kBcc);

  bool mail_ok = false, mail_unknown = false;
  std::string mail_msg;
  if (check.mail_flag) {
    if (!st.settei.v.send_through_site) {
      mail_ok = mail.send_mail && mail.send_mail(f, check, report.msg);
    } else if (SendThroughSite(st, check, report)) {
      mail_ok = true;
      if (mail.save_send_log) {
        mail.save_send_log(Joined(check.mail_to), f.title, st.settei.v.mail_address);
      }
      if (!check.site_flag) report.close_window = true;
    }
    mail_unknown = report.unknown;
    mail_msg = report.msg;
  }
  bool site_ok = false, site_unknown = false;
  if (check.site_flag) {
    Col(check.record, MastCol::kTo) = site_to;
    Col(check.record, MastCol::kCc) = site_cc;
    Col(check.record, MastCol::kBcc) = site_bcc;
    report.unknown = false;
    site_ok = SendToSite(st, check.record, check.tolist, report);
    site_unknown = report.unknown;
    report.unknown = mail_unknown || site_unknown;
    // When one route fails and the other succeeds, the result text tells both outcomes.
    if (check.mail_flag && mail_ok && !site_ok) {
      report.msg =
          mail_msg + (site_unknown ? " / サイト"_cp932 : " / サイト送信失敗 : "_cp932) + report.msg;
    } else if (check.mail_flag && !mail_ok && site_ok) {
      report.msg = "メール送信失敗 : "_cp932 + mail_msg + " / " + report.msg;
    }
  }
  // Some recipients have it and some do not: a refused mail address, or one route of two.
  const bool one_route_failed =
      check.mail_flag && check.site_flag && mail_ok != site_ok && !mail_unknown && !site_unknown;
  report.partial = (mail_ok && !check.mail_refused.empty()) || one_route_failed;
  // The sent copy names the recipients the message went (or may have gone) to.
  const bool site_went = site_ok || site_unknown, mail_went = mail_ok || mail_unknown;
  auto went = [&](const std::string& site, const std::vector<std::string>& mails) {
    std::string out = site_went ? site : std::string();
    for (const std::string& m : mails) {
      if (!mail_went || Refused(m, check.mail_refused)) continue;
      out += (out.empty() ? "" : ",") + m;
    }
    return out;
  };
  Col(check.record, MastCol::kTo) = went(site_to, check.mail_to);
  Col(check.record, MastCol::kCc) = went(site_cc, check.mail_cc);
  Col(check.record, MastCol::kBcc) = went(site_bcc, check.mail_bcc);
  return mail_ok || site_ok;
}

SendReport SendButton(AppState& st, const MailRoute& mail, ComposeFields& f) {
  SendReport report;
  BusyGuard guard(st.busy);
  if (!guard.acquired()) {
    report.refused = true;
    report.msg = BusyMessage();
    report.compose_status.push_back(report.msg);
    return report;
  }
  ComposeOutcome check;
  report.ok = SoushinJikkou(st, mail, f, check, report);
  const std::string category = Col(check.record, MastCol::kCategory);
  if (!report.ok && !report.unknown) {
    report.compose_status.push_back("送信失敗 : "_cp932 + report.msg);
    st.aclog.AddLogLine("SEND", "NG", f.to, category, report.msg, "");
    return report;
  }
  if (report.unknown) Col(check.record, MastCol::kReadDate) = UnknownResultMark();
  report.saved = FileRecord(st.master, st.store, check.record, report.save_error);
  st.log.Log("msg" + report.msg);
  report.compose_status.push_back(report.msg);
  SaveSoushinList(st.log, st.send_list, check.site_flag, f.to, f.kankei);
  st.log.Log("msg:" + report.msg);
  st.aclog.AddLogLine("SEND",
                      report.unknown   ? "??"
                      : report.partial ? "PART"
                                       : "OK",
                      f.to, category, report.msg, "");
  report.show_sent = true;
  report.close_window = !report.unknown && !report.partial;
  if (report.partial) {
    report.compose_status.push_back(
        "一部の宛先には届きませんでした。写しは届いた宛先で送信箱に保存しました。"
        "届かなかった宛先だけを直して送り直してください"_cp932);
  } else if (report.unknown) {
    report.compose_status.push_back(
        "メッセージは送り終えましたが応答がありません。届いている可能性があります。"
        "送り直す前に相手に確かめてください (写しは送信箱に「(結果不明)」で保存しました)"_cp932);
  } else {
    st.site.send_attachments.clear();  // the files went with this message, not with the next
  }
  return report;
}

SendReport DraftButton(AppState& st, ComposeFields& f) {
  SendReport report;
  ComposeOutcome check;
  const int row = st.store.CtMaster();
  report.ok =
      CheckSoushin(st.log, row, FolderName(Folder::kDraft), f, SenderOf(st), st.send_list, check);
  report.msg = check.msg;
  if (report.ok) report.saved = FileRecord(st.master, st.store, check.record, report.save_error);
  report.compose_status.push_back(report.msg);
  // A draft that could not be stored keeps the window open: what was written stays there.
  report.close_window = report.ok;
  return report;
}

MailRoute DirectMailRoute(AppState& st) {
  MailRoute route;
  route.send_mail = [&st](const ComposeFields& f, ComposeOutcome& check, std::string& msg) {
    OutgoingMail mail;
    // Only the mail addresses of the recipient texts; the site recipients go by "SENDWIN".
    mail.to = Joined(check.mail_to);
    mail.cc = Joined(check.mail_cc);
    mail.bcc = Joined(check.mail_bcc);
    mail.reply_to = f.reply_to;
    mail.title = f.title;
    mail.body = f.body;
    // The files of the send attachment list, as the site send uploads them.
    for (const std::filesystem::path& p : st.site.send_attachments) {
      mail.attachments.push_back(PathText(p));
    }
    return SendMailWithSettings(st, std::move(mail), nullptr, msg, &check.mail_refused);
  };
  route.save_send_log = [&st](const std::string& to, const std::string& title,
                              const std::string& from) {
    std::string msg;
    if (!SaveSoushinLog(st.paths.DataDir(), std::time(nullptr), to, title, from, st.log, msg)) {
      st.log.Log(msg);
    }
  };
  return route;
}

}  // namespace sorami
