#include "mail/MailIntake.h"

#include <exception>

#include "mail/JushinLog.h"
#include "platform/Codepage.h"
#include "store/MasterFile.h"
#include "store/OriginalsSync.h"

namespace sorami {

bool MailIntake::Begin(const PopConfig& config) {
  if (config.host.empty()) {
    log_.Log("HOST 指定なし"_cp932);
    return Fail("HOST 指定なし"_cp932, "HOST 指定なし"_cp932);
  }
  log_.Log("Connecting.... " + config.host);
  // The password stays out of the log.
  log_.Log("--- HOST :" + config.host + " ID:" + config.user + " Pass:****");
  Label("接続中... "_cp932);
  return true;
}

void MailIntake::Found(const std::string& mailbox, int count) {
  log_.Log(" readCnt:" + std::to_string(count) + " ");
  Label(" " + std::to_string(count) + " 件"_cp932);
  if (count < 1) return;
  AppendRireki(log_, mailbox, count);
  if (!session_.rireki_checked) {
    RirekiCheckHost(log_, 0);
    session_.rireki_checked = true;
  }
}

void MailIntake::Tick(int n, int count) {
  if (!place_.events) return;
  place_.events->ProcessEvents();
  if ((n - shown_) * 50 >= count || n == count) {
    place_.events->Progress(n, count);
    shown_ = n;
  }
}

MailIntake::Result MailIntake::Store(int n, std::string raw,
                                     const std::function<bool(const std::string&)>& earlier) {
  try {
    const NewMail mail = MakeNewMail(place_.drop, n, std::move(raw), earlier);
    out_.parse_error |= mail.damaged;
    if (mail.stored) {
      ++out_.stored;
      return Result::kStored;
    }
    if (!mail.failure.empty()) {
      Keep(n, mail.failure);
      return Result::kKept;
    }
    ++out_.known;
    return Result::kKnown;
  } catch (const std::exception& e) {
    log_.Log("Error(MakeNewMail) ******************* :" + std::to_string(n) + " " + e.what());
    Keep(n, e.what());
    return Result::kStop;
  }
}

void MailIntake::Keep(int n, const std::string& why) {
  log_.Log("サーバーに残します :"_cp932 + std::to_string(n) + " " + why);
  ++out_.kept;
  out_.status = "メール "_cp932 + std::to_string(n) +
                " を保存できないため、サーバーに残しました : "_cp932 + why;
}

bool MailIntake::Save(const ReceivedIds& ids) {
  if (out_.stored > 0) {
    std::string msg;
    // The originals reach the disk before the store that lists their mails.
    if (place_.drop.originals && !SyncOriginals(*place_.drop.originals, msg)) {
      log_.Log("保存失敗 :"_cp932 + msg);
      return false;
    }
    const bool saved = SaveMaster(place_.master, place_.drop.store, msg);
    log_.Log(msg);
    if (!saved) return false;
  }
  if (!ids.Save()) {
    log_.Log("Cannot Write: " + PathText(ReceivedIds::FilePath(place_.drop.data_dir)));
  }
  return true;
}

void MailIntake::Label(const std::string& text) {
  out_.label = text;
  if (place_.events) place_.events->Label(text);
}

bool MailIntake::Fail(const std::string& label, const std::string& why) {
  Label(label);
  out_.status = why;
  return false;
}

}  // namespace sorami
