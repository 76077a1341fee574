#include "compose/ComposeCheck.h"

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

bool CheckSoushin(DiagLog& log, int row, const std::string& folder, ComposeFields& f,
                  const ComposeSender& sender, const std::vector<AddressEntry>& send_list,
                  ComposeOutcome& out, std::time_t now) {
  log.Log(".CheckSoushin : " + std::to_string(row));
  out = ComposeOutcome{};
  const bool draft = folder != FolderName(Folder::kSent);
  if (!f.to.empty() && f.title.empty()) f.title = "(No Subject)";
  // A send with an empty To still goes on: CC or Bcc may hold its recipients. A draft needs
  // no recipient at all: it is finished later.

  std::string to, cc, bcc, bad;
  bool whole = AtesakiBunri(log, f.to, to, out.mail_to, out.mail_flag, out.site_flag, &bad);
  whole = AtesakiBunri(log, f.cc, cc, out.mail_cc, out.mail_flag, out.site_flag, &bad) && whole;
  whole = AtesakiBunri(log, f.bcc, bcc, out.mail_bcc, out.mail_flag, out.site_flag, &bad) && whole;
  // Every recipient goes or nothing does: a send never leaves out an address it cannot mail.
  // A draft keeps what it can and is finished later.
  if (!whole && !draft) {
    out.msg = "宛先エラー : "_cp932 + bad;
    return false;
  }
  if (!out.mail_flag && !out.site_flag && !draft) {
    out.msg = "宛先エラー"_cp932;
    return false;
  }
  out.msg.clear();
  KankeiJidouSettei(log, f.auto_kankei, send_list, sender.site, to, cc, bcc);
  log.Log("Target: " + to + "\r\ncc    : " + cc + "\r\nbcc   : " + bcc);

  if (out.site_flag) {
    SetFukusuuList(log, to, out.tolist);
    SetFukusuuList(log, cc, out.tolist);
    if (out.tolist.find(',') == std::string::npos) out.tolist.clear();
  }

  auto& r = out.record;
  auto col = [&r](MastCol c) -> std::string& { return r[ColIndex(c)]; };
  const std::string time_text = FormatLocalTime(now, "%Y/%m/%d %H:%M:%S");
  col(MastCol::kNumber) = Format4d(row);
  col(MastCol::kTo) = to;
  col(MastCol::kTitle) = f.title;
  col(MastCol::kBody) = BodyFromBox(f.body);  // the record keeps CR LF line ends
  col(MastCol::kDate) = time_text;
  col(MastCol::kCc) = cc;
  col(MastCol::kBcc) = bcc;
  col(MastCol::kRelation) = f.kankei;
  if (out.mail_flag) {
    col(MastCol::kSenderUser) = sender.mail_name;
    col(MastCol::kSender) = sender.mail_name;
    col(MastCol::kCategory) = "メール"_cp932;
  }
  // A message with site recipients is sent as the account, whatever mail it also carries; so
  // is a draft without any recipient yet.
  if (out.site_flag || !out.mail_flag) {
    col(MastCol::kSender) = sender.nickname;
    col(MastCol::kCategory) = f.shubetsu;
  }
  col(MastCol::kSendDate) = draft ? "(未送信)"_cp932 : time_text;
  col(MastCol::kSenderSite) = sender.site;
  col(MastCol::kToList) = out.tolist;
  col(MastCol::kReadDate) = "(未読)"_cp932;
  col(MastCol::kFolder) = folder;
  log.Log("end(CheckSoushin)");
  return true;
}

}  // namespace sorami
