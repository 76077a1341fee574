// The compose window's check (CheckSoushin): the recipient texts split into site and mail
// addresses, the site addresses made canonical, and the outgoing message built as a record of
// the store. The routine works on plain texts: the window copies its controls in and back out.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "base/DiagLog.h"
#include "compose/Addresses.h"
#include "store/MastRecord.h"

namespace sorami {

// What the compose window holds (code page 932).
struct ComposeFields {
  std::string to, cc, bcc;   // EditAtesaki, EditCC, EditBcc
  std::string reply_to;      // EditReplyTo: used only by direct mail
  std::string title;         // EditTitle
  std::string body;          // MemoHonbun
  std::string kankei;        // ComboKankei: the relation name
  std::string shubetsu;      // ComboShubetsu: the category name
  bool auto_kankei = false;  // CkAuto
};

// Who sends: the current account and the mail settings' sender name.
struct ComposeSender {
  std::string nickname;   // curAccount
  std::string site;       // curSite
  std::string mail_name;  // the mail settings' name
};

// What the check gives the send routes.
struct ComposeOutcome {
  std::string msg;  // empty, or why the check failed
  bool site_flag = false;
  bool mail_flag = false;
  std::vector<std::string> mail_to, mail_cc, mail_bcc;
  std::vector<std::string> mail_refused;  // filled by the send: the addresses the server refused
  std::string tolist;  // the multi-recipient list; empty for fewer than two site recipients
  std::array<std::string, TArMastData::kColumns> record;  // the outgoing message's columns
};

// Checks the fields for the folder "送信箱" (a send) or "草稿" (a draft) and builds the record of
// row `row`. A draft needs no recipient. A send fails with "宛先エラー" (no address at all) or
// "宛先エラー : " and the first piece that looks like a mail address but is none. An empty title
// with a To text becomes "(No Subject)" in fields. The store is left alone: the caller appends
// out.record when the send or draft succeeds, so a failed attempt never shows.
bool CheckSoushin(DiagLog& log, int row, const std::string& folder, ComposeFields& fields,
                  const ComposeSender& sender, const std::vector<AddressEntry>& send_list,
                  ComposeOutcome& out, std::time_t now = std::time(nullptr));

}  // namespace sorami
