#include "mail/MailJushin.h"

#include <exception>
#include <map>
#include <unordered_map>
#include <vector>

#include "mail/JushinLog.h"
#include "mail/MailIntake.h"
#include "mail/ReceivedIds.h"
#include "platform/Codepage.h"
#include "platform/Digest.h"

namespace sorami {

namespace {

// One receive: the dialogue and what it found, message by message.
class Receive {
 public:
  Receive(JushinSession& session, JushinPlace& place, const PopConfig& config, LineSocket& socket)
      : session_(session),
        config_(config),
        log_(place.drop.log),
        data_dir_(place.drop.data_dir),
        client_(socket, place.events),
        ids_(place.drop.data_dir, config.host, config.user),
        intake_(session, place, out_) {}

  JushinOutcome GetPopMessage();

 private:
  bool Fail(const std::string& label, const std::string& why) {
    client_.Close();
    return intake_.Fail(label, why);
  }
  // Retrieves and stores every mail not stored before; false when the connection broke.
  bool GetPOPAll();
  // The server's id of message n when it names that message alone; empty without UIDL, when
  // the server listed no id for it, or when it gave the same id to another message too.
  std::string UsableUid(int n) const;
  void DeleteStored();

  JushinSession& session_;
  const PopConfig& config_;
  DiagLog& log_;
  std::filesystem::path data_dir_;
  Pop3Client client_;
  ReceivedIds ids_;
  std::map<int, std::string> uids_;                // the server's ids by number, empty without UIDL
  std::unordered_map<std::string, int> uid_uses_;  // how many messages the server gave each id
  std::vector<std::string> on_server_;  // ids and content keys of what the server still holds
  std::vector<int> stored_;             // message numbers safely stored, this time or before
  JushinOutcome out_;
  MailIntake intake_;
};

JushinOutcome Receive::GetPopMessage() {
  log_.Log(".GetPopMessage :0");
  if (!intake_.Connect(config_, client_)) return out_;
  std::string error;
  if (!client_.Stat(out_.count, error)) {
    log_.Log(" ERROR gethost " + error);
    Fail("ホスト・エラー"_cp932, error);
    return out_;
  }
  intake_.Found(config_.host + "/" + config_.user, out_.count);
  if (out_.count < 1) {
    client_.Quit(error);
    out_.ok = true;
    return out_;
  }
  if (!ids_.Load()) log_.Log("Cannot Read: " + PathText(ReceivedIds::FilePath(data_dir_)));
  if (!client_.Uidl(out_.count, uids_, error)) {
    if (client_.failure() != Pop3Failure::kRefused) {
      Fail("エラー"_cp932, error);
      return out_;
    }
    uids_.clear();  // no UIDL: the mail's content tells what was stored before
  }
  for (const auto& [n, uid] : uids_) {
    ++uid_uses_[uid];
    on_server_.push_back(uid);
  }
  const bool whole = GetPOPAll();
  AppendRireki(log_, "登録完了"_cp932, out_.stored);
  // What the server no longer lists is forgotten, once the whole list was walked.
  if (whole && !uids_.empty()) ids_.KeepOnly(on_server_);
  const bool saved = intake_.Save(ids_);
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
  if (out_.kept > 0) {
    intake_.Label(ReceiveErrorLabel(MailProtocol::kPop3));
    return out_;
  }
  out_.ok = true;
  return out_;
}

std::string Receive::UsableUid(int n) const {
  const auto found = uids_.find(n);
  if (found == uids_.end() || found->second.empty()) return {};
  return uid_uses_.at(found->second) == 1 ? found->second : std::string();
}

bool Receive::GetPOPAll() {
  log_.Log(".GetPOPAll :hx:0 msgcnt:" + std::to_string(out_.count));
  log_.Log("処理 fromNo:1  toNo:"_cp932 + std::to_string(out_.count));
  std::string raw, error;
  for (int n = 1; n <= out_.count; ++n) {
    if (session_.cancelled) return Fail("中止"_cp932, "受信を中止しました"_cp932);
    intake_.Tick(n, out_.count);
    // Known by an id that names this message alone: stored by an earlier receive.
    const std::string uid = UsableUid(n);
    if (!uid.empty() && ids_.Has(uid)) {
      ++out_.known;
      stored_.push_back(n);
      continue;
    }
    size_t size = 0;
    if (!client_.List(n, size, error)) {
      if (client_.failure() != Pop3Failure::kRefused) return Fail("エラー"_cp932, error);
      // No such message: the count the server gave was wrong, and this is the end.
      log_.Log("LIST " + std::to_string(n) + " :" + error);
      break;
    }
    if (!client_.Retr(n, size, raw, error)) {
      if (client_.failure() == Pop3Failure::kRefused) {  // the dialogue goes on
        intake_.Keep(n, error);
        continue;
      }
      log_.Log("error retreiveHeader ***************: errono:" + std::to_string(n));
      return Fail("エラー"_cp932, error);
    }
    // Without an id of its own, the mail's bytes tell whether it was stored before: two
    // different mails never pass for one, even when they share a Message-Id.
    std::string key = uid;
    if (key.empty()) {
      key = "sha256:" + Sha256Hex(raw);
      on_server_.push_back(key);
      if (ids_.Has(key)) {
        ++out_.known;
        stored_.push_back(n);
        continue;
      }
    }
    // A Message-Id kept by a receive that recorded no content: most likely this mail, but
    // not proven, so it is neither stored again nor deleted.
    const auto earlier = [this, &uid](const std::string& message_id) {
      return uid.empty() && ids_.Has(message_id);
    };
    const MailIntake::Result result = intake_.Store(n, std::move(raw), earlier);
    if (result == MailIntake::Result::kStored) {
      stored_.push_back(n);
      ids_.Add(key);
    } else if (result == MailIntake::Result::kStop) {
      break;
    }
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

void CancelMailJushin(JushinSession& session) {
  if (!session.active) return;
  session.cancelled = true;
  session.active->Close();  // ends the wait the receive is in
}

JushinOutcome MailJushin(JushinSession& session, JushinPlace& place, const PopConfig& config,
                         LineSocket& socket) {
  DiagLog& log = place.drop.log;
  const bool imap = config.protocol == MailProtocol::kImap;
  log.Log(".MailJushin");
  log.Log(imap ? ".StartIMAP" : ".StartPOP3");
  JushinOutcome out;
  session.active = &socket;
  session.cancelled = false;
  try {
    out = imap ? ImapJushin(session, place, config, socket)
               : Receive(session, place, config, socket).GetPopMessage();
  } catch (const std::exception& e) {
    log.Log(std::string(" ERROR gethost ") + e.what());
    socket.Close();
    out.label = "ホスト・エラー"_cp932;
    out.status = e.what();
  }
  session.active = nullptr;
  if (session.cancelled && !out.ok) {
    out.label = "中止"_cp932;
    out.status = "受信を中止しました"_cp932;
    if (place.events) place.events->Label(out.label);
  }
  if (place.aclog && !config.host.empty()) {
    place.aclog->AddLogLine(
        imap ? "IMAP" : "POP ", out.ok ? "OK" : "NG",
        out.ok ? " "_cp932 + std::to_string(out.stored) + " 件"_cp932 : out.status, config.host,
        std::to_string(config.port), config.user);
  }
  log.Log(imap ? "EndIMAP" : "EndPOP3");
  return out;
}

}  // namespace sorami
