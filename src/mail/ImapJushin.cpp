// The IMAP receive: each folder read by UID. What was stored is kept in the received-id file
// under "imap:" and the host, the user and the folder, one entry a mail:
//   "UIDVALIDITY:UID sha256:DIGEST mid:MESSAGE-ID|DATE"
// (the Message-Id part only when the mail has one). A mail whose UID is listed under the
// folder's UIDVALIDITY now was stored before. When the server renumbered the folder (a new
// UIDVALIDITY), a mail's digest proves it stored before; a mail with the Message-Id and Date
// of one stored before is not stored again either, but without that proof it is marked
// "UIDVALIDITY:UID!" and never deleted from the server by the receive.
#include <cstdlib>
#include <map>
#include <string_view>
#include <unordered_set>

#include "mail/JushinLog.h"
#include "mail/MailIntake.h"
#include "mail/imap/ImapClient.h"
#include "platform/Codepage.h"
#include "platform/Digest.h"

namespace sorami {

namespace {

// The folders of the settings' text: comma-separated, trimmed, empty ones dropped.
std::vector<std::string> SplitFolders(std::string_view text) {
  std::vector<std::string> out;
  while (true) {
    const size_t comma = text.find(',');
    std::string_view name = text.substr(0, comma);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    if (!name.empty()) out.emplace_back(name);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (out.empty()) out.emplace_back("INBOX");
  return out;
}

// The value of a header field of a mail's header block, unfolded, blanks collapsed.
std::string HeaderField(std::string_view mail, std::string_view name) {
  std::string value;
  bool in_field = false;
  while (!mail.empty()) {
    const size_t lf = mail.find('\n');
    std::string_view line = mail.substr(0, lf);
    mail = lf == std::string_view::npos ? std::string_view() : mail.substr(lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) break;
    if (line.front() == ' ' || line.front() == '\t') {
      if (in_field) value.append(" ").append(line);
      continue;
    }
    if (in_field) break;
    const size_t colon = line.find(':');
    if (colon != name.size()) continue;
    in_field = true;
    for (size_t i = 0; i < colon && in_field; ++i) {
      const char c = line[i] >= 'A' && line[i] <= 'Z' ? static_cast<char>(line[i] + 32) : line[i];
      in_field = c == name[i];
    }
    if (in_field) value.assign(line.substr(colon + 1));
  }
  std::string out;
  for (const char c : value) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The Message-Id and Date key of a mail, empty without a Message-Id.
std::string MessageKey(std::string_view mail) {
  const std::string id = HeaderField(mail, "message-id");
  return id.empty() ? std::string() : "mid:" + id + "|" + HeaderField(mail, "date");
}

// One entry of the received-id file, taken apart.
struct Entry {
  uint32_t validity = 0, uid = 0;
  bool proven = true;
  std::string digest, message;
};

bool ParseEntry(std::string_view text, Entry& e) {
  const size_t blank = text.find(' ');
  std::string_view id = text.substr(0, blank);
  const size_t colon = id.find(':');
  if (colon == std::string_view::npos || blank == std::string_view::npos) return false;
  if (id.ends_with('!')) {
    e.proven = false;
    id.remove_suffix(1);
  }
  e.validity =
      static_cast<uint32_t>(std::strtoul(std::string(id.substr(0, colon)).c_str(), nullptr, 10));
  e.uid =
      static_cast<uint32_t>(std::strtoul(std::string(id.substr(colon + 1)).c_str(), nullptr, 10));
  std::string_view rest = text.substr(blank + 1);
  const size_t mid = rest.find(" mid:");
  e.digest = rest.substr(0, mid);
  if (mid != std::string_view::npos) e.message = rest.substr(mid + 1);
  return e.uid != 0;
}

class ImapReceive {
 public:
  ImapReceive(JushinSession& session, JushinPlace& place, const PopConfig& config,
              LineSocket& socket)
      : session_(session),
        place_(place),
        config_(config),
        log_(place.drop.log),
        client_(socket),
        intake_(session, place, out_) {}

  JushinOutcome Run();

 private:
  bool Fail(const std::string& label, const std::string& why) {
    client_.Close();
    return intake_.Fail(label, why);
  }
  // Reads one folder; false when the dialogue cannot go on.
  bool ReadFolder(const std::string& folder);

  JushinSession& session_;
  JushinPlace& place_;
  const PopConfig& config_;
  DiagLog& log_;
  ImapClient client_;
  JushinOutcome out_;
  MailIntake intake_;
  int number_ = 0;        // mails walked in all folders
  bool refused_ = false;  // a folder could not be opened
};

JushinOutcome ImapReceive::Run() {
  log_.Log(".GetImapMessage :0");
  if (!intake_.Connect(config_, client_)) return out_;
  std::string error;
  for (const std::string& folder : SplitFolders(config_.folders)) {
    if (!ReadFolder(folder)) return out_;
  }
  AppendRireki(log_, "登録完了"_cp932, out_.stored);
  if (!client_.Logout(error)) log_.Log(" ERROR logout " + error);  // all is done by now
  if (out_.kept > 0 || refused_) {
    intake_.Label(ReceiveErrorLabel(MailProtocol::kImap));
    return out_;
  }
  out_.ok = true;
  return out_;
}

bool ImapReceive::ReadFolder(const std::string& folder) {
  log_.Log(".ReadFolder :" + folder);
  std::string error;
  ImapFolder state;
  // EXAMINE while mail stays on the server: nothing in the folder can change.
  if (!client_.Select(folder, config_.leave_on_server, state, error)) {
    if (client_.failure() != ImapFailure::kRefused) return Fail("ホスト・エラー"_cp932, error);
    log_.Log(" ERROR select " + error);
    out_.status = error;
    refused_ = true;
    return true;
  }
  std::vector<ImapMessage> list;
  if (!client_.ListMessages(state.exists, list, error)) return Fail("エラー"_cp932, error);
  out_.count += static_cast<int>(list.size());
  intake_.Found(config_.host + "/" + config_.user + "/" + folder, out_.count);
  ReceivedIds ids(place_.drop.data_dir, "imap:" + config_.host, config_.user + "/" + folder);
  if (!ids.Load())
    log_.Log("Cannot Read: " + PathText(ReceivedIds::FilePath(place_.drop.data_dir)));

  // What earlier receives stored: by UID under this UIDVALIDITY, else by digest or Message-Id.
  std::map<uint32_t, std::string> known;  // UID -> its entry
  std::unordered_set<std::string> digests, messages;
  for (const std::string& text : ids.ids()) {
    Entry e;
    if (!ParseEntry(text, e)) continue;
    if (e.validity == state.uid_validity) {
      known[e.uid] = text;
    } else {
      if (e.proven) digests.insert(e.digest);
      if (!e.message.empty()) messages.insert(e.message);
    }
  }
  const std::string prefix = std::to_string(state.uid_validity) + ":";
  std::vector<std::string> on_server;
  std::vector<uint32_t> deletable;
  std::vector<ImapMessage> wanted;
  std::map<uint32_t, int> numbers;
  for (const ImapMessage& m : list) {
    const int n = ++number_;
    const auto found = known.find(m.uid);
    if (found != known.end()) {
      ++out_.known;
      on_server.push_back(found->second);
      Entry e;
      if (ParseEntry(found->second, e) && e.proven) deletable.push_back(m.uid);
    } else if (m.size > ImapClient::kMaxMailBytes) {
      intake_.Keep(n, "メールが大きすぎるため受信しません : "_cp932 + std::to_string(m.size) +
                          " バイト"_cp932);
    } else {
      wanted.push_back(m);
      numbers[m.uid] = n;
    }
  }
  const auto take = [&](uint32_t uid, std::string& bytes) {
    if (session_.cancelled) return false;
    const int n = numbers[uid];
    intake_.Tick(n, out_.count);
    const std::string digest = "sha256:" + Sha256Hex(bytes);
    const std::string message = MessageKey(bytes);
    std::string entry = prefix + std::to_string(uid);
    const std::string tail = " " + digest + (message.empty() ? "" : " " + message);
    if (digests.contains(digest)) {  // the same bytes were stored before the renumbering
      ++out_.known;
      deletable.push_back(uid);
    } else if (!message.empty() && messages.contains(message)) {
      log_.Log("メッセージ 読込済み :"_cp932 + message);
      ++out_.known;
      entry += "!";
    } else {
      const MailIntake::Result result = intake_.Store(n, std::move(bytes));
      if (result == MailIntake::Result::kStop) return false;
      if (result != MailIntake::Result::kStored) return true;
      deletable.push_back(uid);
    }
    ids.Add(entry + tail);
    on_server.push_back(entry + tail);
    return true;
  };
  const bool whole = client_.Fetch(wanted, take, error);
  // What the folder no longer holds is forgotten, once the whole folder was walked.
  if (whole) ids.KeepOnly(on_server);
  const bool saved = intake_.Save(ids);
  if (!whole) {
    if (session_.cancelled) return Fail("中止"_cp932, "受信を中止しました"_cp932);
    log_.Log("error fetch ***************: " + error);
    return Fail("エラー"_cp932, out_.kept > 0 ? out_.status : error);
  }
  if (!saved) {
    return Fail("エラー"_cp932, "メッセージを保存できないため、サーバーから削除しません"_cp932);
  }
  if (config_.leave_on_server || deletable.empty()) return true;
  int removed = 0;
  if (!client_.Delete(deletable, removed, error)) {
    log_.Log(" ERROR（削除指定) "_cp932 + error);
    if (client_.failure() != ImapFailure::kRefused) return Fail("エラー"_cp932, error);
    return true;
  }
  out_.deleted += removed;
  log_.Log("Imap Delete(OK) " + std::to_string(removed));
  return true;
}

}  // namespace

JushinOutcome ImapJushin(JushinSession& session, JushinPlace& place, const PopConfig& config,
                         LineSocket& socket) {
  return ImapReceive(session, place, config, socket).Run();
}

}  // namespace sorami
