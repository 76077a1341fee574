#include "mail/MailJushin.h"

#include <exception>
#include <vector>

#include "mail/JushinLog.h"
#include "mail/ReceivedIds.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

// One receive: the dialogue and what it found, message by message.
class Receive {
 public:
  Receive(JushinSession& session, JushinPlace& place, const PopConfig& config, LineSocket& socket)
      : session_(session),
        place_(place),
        config_(config),
        log_(place.drop.log),
        client_(socket, place.events),
        ids_(place.drop.data_dir, config.host, config.user) {}

  JushinOutcome GetPopMessage();

 private:
  void Label(const std::string& text) {
    out_.label = text;
    if (place_.events) place_.events->Label(text);
  }
  bool Fail(const std::string& label, const std::string& why) {
    Label(label);
    out_.status = why;
    client_.Close();
    return false;
  }
  // Retrieves and stores every mail not stored before; false when the connection broke.
  bool GetPOPAll();
  // Saves the store, then the ids of what it holds; false when the store could not be saved.
  bool SaveStored();
  void DeleteStored();

  JushinSession& session_;
  JushinPlace& place_;
  const PopConfig& config_;
  DiagLog& log_;
  Pop3Client client_;
  ReceivedIds ids_;
  std::vector<std::string> uids_;  // the server's ids, empty without UIDL
  std::vector<int> stored_;        // message numbers safely stored, this time or before
  JushinOutcome out_;
};

JushinOutcome Receive::GetPopMessage() {
  log_.Log(".GetPopMessage :0");
  if (config_.host.empty()) {
    log_.Log("HOST 指定なし"_cp932);
    Fail("HOST 指定なし"_cp932, "HOST 指定なし"_cp932);
    return out_;
  }
  log_.Log("Connecting.... " + config_.host);
  // The password stays out of the log.
  log_.Log("--- HOST :" + config_.host + " ID:" + config_.user + " Pass:****");
  Label("接続中... "_cp932);
  std::string error;
  if (!client_.Open(config_, error)) {
    log_.Log(" ERROR gethost " + error);
    Fail("ホスト・エラー"_cp932, error);
    return out_;
  }
  log_.Log("Connect OK");
  if (!client_.Stat(out_.count, error)) {
    log_.Log(" ERROR gethost " + error);
    Fail("ホスト・エラー"_cp932, error);
    return out_;
  }
  log_.Log(" readCnt:" + std::to_string(out_.count) + " ");
  Label(" " + std::to_string(out_.count) + " 件"_cp932);
  if (out_.count < 1) {
    client_.Quit(error);
    out_.ok = true;
    return out_;
  }
  AppendRireki(log_, config_.host + "/" + config_.user, out_.count);
  if (!session_.rireki_checked) {
    RirekiCheckHost(log_, 0);
    session_.rireki_checked = true;
  }
  if (!ids_.Load())
    log_.Log("Cannot Read: " + PathText(ReceivedIds::FilePath(place_.drop.data_dir)));
  if (!client_.Uidl(out_.count, uids_, error)) {
    if (client_.failure() != Pop3Failure::kRefused) {
      Fail("エラー"_cp932, error);
      return out_;
    }
    uids_.clear();  // no UIDL: the Message-Id tells what was stored before
  }
  const bool whole = GetPOPAll();
  AppendRireki(log_, "登録完了"_cp932, out_.stored);
  const bool saved = SaveStored();
  if (!whole) return out_;
  if (!saved) {
    Fail("エラー"_cp932, "メッセージを保存できないため、サーバーから削除しません"_cp932);
    return out_;
  }
  if (!config_.leave_on_server) DeleteStored();
  if (!client_.Quit(error)) {
    out_.deleted = 0;  // without the end of the dialogue the server deletes nothing
    log_.Log(" ERROR quit " + error);
    Fail("エラー"_cp932, error);
    return out_;
  }
  out_.ok = true;
  return out_;
}

bool Receive::GetPOPAll() {
  log_.Log(".GetPOPAll :hx:0 msgcnt:" + std::to_string(out_.count));
  log_.Log("処理 fromNo:1  toNo:"_cp932 + std::to_string(out_.count));
  const auto already = [this](const std::string& message_id) {
    return uids_.empty() && ids_.Has(message_id);
  };
  int shown = 0;
  std::string raw, error;
  for (int n = 1; n <= out_.count; ++n) {
    if (place_.events) {
      place_.events->ProcessEvents();
      if ((n - shown) * 50 >= out_.count || n == out_.count) {
        place_.events->Progress(n, out_.count);
        shown = n;
      }
    }
    const std::string* uid = uids_.empty() ? nullptr : &uids_[static_cast<size_t>(n - 1)];
    if (uid && !uid->empty() && ids_.Has(*uid)) {
      ++out_.known;
      stored_.push_back(n);
      continue;
    }
    if (!client_.Retr(n, raw, error)) {
      log_.Log("error retreiveHeader ***************: errono:" + std::to_string(n));
      Fail("エラー"_cp932, error);
      return false;
    }
    try {
      const NewMail mail = MakeNewMail(place_.drop, n, std::move(raw), already);
      out_.parse_error |= mail.damaged;
      if (mail.stored) ++out_.stored;
      if (mail.stored || !mail.message_id.empty()) {
        if (!mail.stored) ++out_.known;
        stored_.push_back(n);
        if (uid && !uid->empty()) {
          ids_.Add(*uid);
        } else if (!mail.message_id.empty()) {
          ids_.Add(mail.message_id);
        }
      }
    } catch (const std::exception& e) {
      // The mail stays on the server, and so do those after it.
      log_.Log("Error(MakeNewMail) ******************* :" + std::to_string(n) + " " + e.what());
      break;
    }
  }
  return true;
}

bool Receive::SaveStored() {
  if (out_.stored > 0) {
    std::string msg;
    const bool saved = SaveMaster(place_.master, place_.drop.store, msg);
    log_.Log(msg);
    if (!saved) return false;
  }
  if (!uids_.empty()) ids_.KeepOnly(uids_);
  if (!ids_.Save()) {
    log_.Log("Cannot Write: " + PathText(ReceivedIds::FilePath(place_.drop.data_dir)));
  }
  return true;
}

void Receive::DeleteStored() {
  std::string error;
  for (int n : stored_) {
    log_.Log("削除指定 :"_cp932 + std::to_string(n));
    if (client_.Dele(n, error)) {
      ++out_.deleted;
    } else {
      log_.Log(" ERROR（削除指定) "_cp932 + std::to_string(n) + " " + error);
      if (client_.failure() == Pop3Failure::kBroken) return;
    }
  }
  log_.Log("■RetrieveHeader["_cp932 + std::to_string(out_.count) +
           "]+++++++++++++++++++++ 削除"_cp932);
  log_.Log("Pop Delete(OK)");
}

}  // namespace

JushinOutcome MailJushin(JushinSession& session, JushinPlace& place, const PopConfig& config,
                         LineSocket& socket) {
  DiagLog& log = place.drop.log;
  log.Log(".MailJushin");
  log.Log(".StartPOP3");
  JushinOutcome out;
  try {
    out = Receive(session, place, config, socket).GetPopMessage();
  } catch (const std::exception& e) {
    log.Log(std::string(" ERROR gethost ") + e.what());
    socket.Close();
    out.label = "ホスト・エラー"_cp932;
    out.status = e.what();
  }
  if (place.aclog && !config.host.empty()) {
    place.aclog->AddLogLine(
        "POP ", out.ok ? "OK" : "NG",
        out.ok ? " "_cp932 + std::to_string(out.stored) + " 件"_cp932 : out.status, config.host,
        std::to_string(config.port), config.user);
  }
  log.Log("EndPOP3");
  return out;
}

}  // namespace sorami
