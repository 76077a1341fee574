#include "mail/MakeNewMail.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

#include "base/MbText.h"
#include "mail/JushinLog.h"
#include "mail/mime/ReceivedMail.h"
#include "platform/Codepage.h"
#include "store/AttachNames.h"
#include "store/Folders.h"

namespace sorami {

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view ext) {
  if (name.size() < ext.size()) return false;
  const std::string_view tail = name.substr(name.size() - ext.size());
  for (size_t i = 0; i < ext.size(); ++i) {
    const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + 32) : tail[i];
    if (c != ext[i]) return false;
  }
  return true;
}

// Saves the attachments and gives the record's column: "MailTenpu;a.txt;a_01.txt", or
// empty when none was saved. False, with the reason, when a file could not be written; the
// files written before it are removed again.
bool SaveAttachments(MailDrop& drop, TVexMsg& msg, std::string& column, std::string& why,
                     std::vector<std::filesystem::path>& written) {
  DiagLog& log = drop.log;
  column.clear();
  log.Log("  kosu:0  atacchno:" + std::to_string(msg.Attachments.Count()));
  if (msg.Attachments.empty()) return true;
  log.Log("★添付ファイル有り"_cp932);
  std::error_code ec;
  std::filesystem::create_directories(drop.attach_dir, ec);
  std::string list = "MailTenpu";
  for (size_t k = 0; k < msg.Attachments.Count(); ++k) {
    TAttachedFile& item = msg.Attachments[k];
    if (!IsSavedAttachment(item)) continue;
    std::string name = FitFileName(SafeAttachmentName(item.Name));
    std::filesystem::path path;
    std::string reason;
    try {
      path = CheckSameName(log, drop.attach_dir, name);
      errno = 0;
      if (!item.SaveToFile(path)) reason = errno != 0 ? std::strerror(errno) : "write failed";
    } catch (const std::exception& e) {
      reason = e.what();
    }
    if (!reason.empty()) {
      why = "添付ファイルを保存できません : "_cp932 + name + " (" + reason + ")";
      log.Log("保存失敗 :"_cp932 + why);
      if (!path.empty()) written.push_back(path);  // whatever part of it was written
      for (const std::filesystem::path& done : written) std::filesystem::remove(done, ec);
      written.clear();
      return false;
    }
    written.push_back(path);
    log.Log("保存完了 :"_cp932 + PathText(path));
    log.Log("kosu:" + std::to_string(k) + " :" + PathText(path));
    list += ";" + name;
  }
  if (!written.empty()) column = std::move(list);
  return true;
}

void LogRead(DiagLog& log, const TVexMsg& msg) {
  log.Log("△ subject:"_cp932 + msg.Subject);
  log.Log("△ from:"_cp932 + msg.From);
  log.Log("△ sender:"_cp932 + msg.Sender);
  const std::string header = GetMailHeader(msg.Lines.view());
  log.Log("HEADER:" + LogHead(header, 30));
  log.Log("△ text:"_cp932 + LogHead(msg.BodyText(), 30));
}

}  // namespace

void ReadRetrievedMail(TVexPOP& parser, TVexMsg& msg, std::string raw, DiagLog* log) {
  msg.CharSet = "ISO-2022-JP";
  msg.Lines.AssignText(std::move(raw));
  if (log) {
    for (size_t i = 0; i < msg.Lines.size() && i < 10; ++i) {
      log->Log("[" + std::to_string(i) + "]:" + LogHead(msg.Lines[i], 30));
    }
  }
  ParseReceivedMail(parser, msg);
}

bool IsSavedAttachment(const TAttachedFile& item) {
  return !item.BodyAlternative && !EndsWithNoCase(item.Name, ".htm") &&
         !EndsWithNoCase(item.Name, ".html");
}

NewMail MakeNewMail(MailDrop& drop, int number, std::string raw,
                    const std::function<bool(const std::string&)>& already) {
  DiagLog& log = drop.log;
  log.Log(".MakeNewMail ix:0  number:" + std::to_string(number));
  NewMail out;
  TVexPOP parser;
  parser.Log = &log;
  parser.Events = drop.events;
  TVexMsg msg;
  log.Log(" CreateOK");
  log.Log("vex Begin");
  // The parse takes the text over; the original is kept as the server sent it.
  const std::string original = drop.originals ? raw : std::string();
  ReadRetrievedMail(parser, msg, std::move(raw), &log);
  out.damaged = !msg.Damage.empty();
  out.message_id = msg.MessageId;
  LogRead(log, msg);
  if (already && !msg.MessageId.empty() && already(msg.MessageId)) {
    log.Log("メッセージ 読込済み :"_cp932 + msg.MessageId);
    AppendRireki(log, "メッセージ読込済み"_cp932, 0);
    return out;
  }
  log.Log("本文:"_cp932 + LogHead(msg.BodyText(), 100));
  const std::string body = msg.BodyText();
  MailDateTime date = msg.DateValue;
  if (date < 10000) {  // missing, unreadable or before 1927
    log.Log("Invalid(YMD) :" + std::to_string(date));
    date = MailDateTimeNow();
  }
  const std::string send_date = FormatMailDateTime(date);
  if (drop.skip_duplicates &&
      drop.store.Exists({send_date, msg.From, {}, {}, msg.SendTo, msg.Subject, body})) {
    log.Log("メッセージ 登録済み :"_cp932 + msg.MessageId);
    out.duplicate = true;
    return out;
  }
  std::string attachments;
  std::vector<std::filesystem::path> written;
  if (!SaveAttachments(drop, msg, attachments, out.failure, written)) return out;
  if (drop.originals) {
    const std::string key = Originals::KeyOf(send_date, msg.From, msg.SendTo, msg.Subject, body);
    if (!drop.originals->Put(key, original, out.failure)) {
      log.Log("保存失敗 :"_cp932 + out.failure);
      std::error_code ec;
      for (const std::filesystem::path& done : written) std::filesystem::remove(done, ec);
      return out;
    }
  }
  SaveJushinLog(log, drop.data_dir, msg, "");

  log.Log("honbun:" + LogHead(body, 30));
  std::array<std::string_view, TArMastData::kColumns> cols{};
  cols[ColIndex(MastCol::kTo)] = msg.SendTo;
  cols[ColIndex(MastCol::kTitle)] = msg.Subject;
  cols[ColIndex(MastCol::kBody)] = body;
  cols[ColIndex(MastCol::kSender)] = msg.From;
  cols[ColIndex(MastCol::kSendDate)] = send_date;
  // The message list's "送信日" shows the date column: a mail carries its Date there too, so
  // it sorts and reads like a site message instead of showing no date at all.
  cols[ColIndex(MastCol::kDate)] = send_date;
  const std::string unread = "(未読)"_cp932, category = "メール"_cp932;
  cols[ColIndex(MastCol::kReadDate)] = unread;
  cols[ColIndex(MastCol::kCategory)] = category;
  cols[ColIndex(MastCol::kAttachments)] = attachments;
  cols[ColIndex(MastCol::kFolder)] = FolderName(Folder::kInbox);
  drop.store.Append(cols);
  out.stored = true;
  return out;
}

}  // namespace sorami
