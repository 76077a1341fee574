#include "mail/imap/ImapClient.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "mail/mime/Base64.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

// The number after a FETCH item's name ("UID 17", "RFC822.SIZE 800") in a response's text.
bool FetchNumber(std::string_view text, std::string_view item, uint64_t& value) {
  for (size_t at = text.find(item); at != std::string_view::npos; at = text.find(item, at + 1)) {
    const size_t after = at + item.size();
    if (at > 0 && text[at - 1] != '(' && text[at - 1] != ' ') continue;
    if (after >= text.size() || text[after] != ' ') continue;
    const char* begin = text.data() + after + 1;
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (ec == std::errc() && end != begin) return true;
  }
  return false;
}

// Whether a response is "* n WORD" and gives n.
bool NumberedAs(const ImapResponse& r, std::string_view what, uint64_t& n) {
  if (!r.untagged() || !r.rest().starts_with(what)) return false;
  const std::string_view word = r.word();
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
  return ec == std::errc() && end == word.data() + word.size();
}

// A mail's room over its announced size, for a server that counts differently.
size_t WithRoom(size_t size) { return size + size / 8 + 65536; }

}  // namespace

bool ImapClient::Fail(ImapFailure why, std::string text, std::string& error) {
  failure_ = why;
  error = std::move(text);
  if (why == ImapFailure::kBroken || why == ImapFailure::kConnect ||
      why == ImapFailure::kProtocol) {
    socket_.Close();
  }
  return false;
}

void ImapClient::NoteCapabilities(std::string_view list) {
  while (!list.empty()) {
    const size_t blank = list.find(' ');
    std::string name(list.substr(0, blank));
    list = blank == std::string_view::npos ? std::string_view() : list.substr(blank + 1);
    if (name.ends_with(']')) name.pop_back();
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (!name.empty() && caps_.size() < 500) caps_.insert(std::move(name));
  }
}

std::string ImapClient::Arg(const std::string& value, std::vector<std::string>& literals) const {
  const bool plain = value.size() < 1000 && std::none_of(value.begin(), value.end(), [](char c) {
                       return c == '\r' || c == '\n' || c == '\0' || (c & 0x80) != 0;
                     });
  if (plain) {
    std::string quoted = "\"";
    for (const char c : value) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    return quoted + '"';
  }
  literals.push_back(value);
  // A literal the server takes without a go-ahead (LITERAL+), or one it must first accept;
  // "\x01" marks where the line is cut to wait for that.
  return "{" + std::to_string(value.size()) + (Has("LITERAL+") ? "+}" : "}") + '\x01';
}

bool ImapClient::ReadUntil(const std::string& tag, const Handler& untagged, std::string& error) {
  std::string why;
  for (;;) {
    if (!reader_.Read(response_, why)) return Fail(ImapFailure::kBroken, why, error);
    if (response_.untagged()) {
      const std::string_view word = response_.word();
      if (word == "CAPABILITY") {
        caps_.clear();
        NoteCapabilities(response_.rest());
      } else if ((word == "OK" || word == "NO") && response_.rest().starts_with("[CAPABILITY ")) {
        caps_.clear();
        NoteCapabilities(response_.rest().substr(12));
      }
      if (untagged && !untagged(response_)) return false;
      continue;
    }
    if (response_.tag() != tag) {
      if (response_.continuation()) continue;  // a go-ahead nothing waits for
      return Fail(ImapFailure::kProtocol,
                  "サーバーの応答が正しくありません : "_cp932 + response_.head().substr(0, 200),
                  error);
    }
    const std::string_view word = response_.word();
    if (word == "OK") {
      if (response_.rest().starts_with("[CAPABILITY ")) {
        caps_.clear();
        NoteCapabilities(response_.rest().substr(12));
      }
      return true;
    }
    if (word == "NO" || word == "BAD") {
      return Fail(ImapFailure::kRefused, std::string(response_.rest().substr(0, 300)), error);
    }
    return Fail(ImapFailure::kProtocol,
                "サーバーの応答が正しくありません : "_cp932 + response_.head().substr(0, 200),
                error);
  }
}

bool ImapClient::Command(const std::string& line, const Handler& untagged, std::string& error,
                         const std::vector<std::string>& literals) {
  failure_ = ImapFailure::kNone;
  const std::string tag = "A" + std::to_string(++next_tag_);
  std::string why;
  std::string_view rest = line;
  std::string out = tag + " ";
  for (size_t k = 0;; ++k) {
    const size_t cut = rest.find('\x01');
    out.append(rest.substr(0, cut));
    if (cut == std::string_view::npos || k >= literals.size()) break;
    rest.remove_prefix(cut + 1);
    out += "\r\n";
    if (!Has("LITERAL+")) {
      // Waits for the server's go-ahead before the literal.
      if (!socket_.Write(out, why)) return Fail(ImapFailure::kBroken, why, error);
      out.clear();
      if (!reader_.Read(response_, why)) return Fail(ImapFailure::kBroken, why, error);
      if (!response_.continuation()) {
        return response_.tag() == tag && response_.word() != "OK"
                   ? Fail(ImapFailure::kRefused, std::string(response_.rest()), error)
                   : Fail(ImapFailure::kProtocol, "サーバーの応答が正しくありません"_cp932, error);
      }
    }
    out += literals[k];
  }
  if (!socket_.WriteLine(out, why)) return Fail(ImapFailure::kBroken, why, error);
  return ReadUntil(tag, untagged, error);
}

bool ImapClient::Capabilities(std::string& error) { return Command("CAPABILITY", {}, error); }

bool ImapClient::Login(const MailboxLogin& login, std::string& error) {
  bool ok = false;
  if (Has("AUTH=PLAIN")) {
    const std::string token =
        Base64Encode(std::string(1, '\0') + login.user + '\0' + login.password);
    if (Has("SASL-IR")) {
      ok = Command("AUTHENTICATE PLAIN " + token, {}, error);
    } else {
      failure_ = ImapFailure::kNone;
      const std::string tag = "A" + std::to_string(++next_tag_);
      std::string why;
      if (!socket_.WriteLine(tag + " AUTHENTICATE PLAIN", why)) {
        return Fail(ImapFailure::kBroken, why, error);
      }
      if (!reader_.Read(response_, why)) return Fail(ImapFailure::kBroken, why, error);
      if (response_.continuation()) {
        if (!socket_.WriteLine(token, why)) return Fail(ImapFailure::kBroken, why, error);
        ok = ReadUntil(tag, {}, error);
      } else if (response_.tag() == tag) {
        Fail(ImapFailure::kRefused, std::string(response_.rest()), error);
      } else {
        return Fail(ImapFailure::kProtocol, "サーバーの応答が正しくありません"_cp932, error);
      }
    }
  } else {
    std::vector<std::string> literals;
    const std::string user = Arg(login.user, literals);
    const std::string password = Arg(login.password, literals);
    ok = Command("LOGIN " + user + " " + password, {}, error, literals);
  }
  if (ok) return true;
  if (failure_ == ImapFailure::kRefused) {
    Fail(ImapFailure::kLogin, "ログインできません : "_cp932 + error, error);
  }
  socket_.Close();
  return false;
}

bool ImapClient::Open(const MailboxLogin& login, std::string& error) {
  failure_ = ImapFailure::kNone;
  caps_.clear();
  std::string why;
  if (!socket_.SetExtraCaFile(login.ca_file, why)) return Fail(ImapFailure::kConnect, why, error);
  const ConnectPlan plan = PlanConnection(login.security, login.port);
  if (!socket_.Connect(login.host, login.port, plan.socket, why)) {
    return Fail(ImapFailure::kConnect, why, error);
  }
  if (!reader_.Read(response_, why)) return Fail(ImapFailure::kBroken, why, error);
  const std::string_view greeting = response_.word();
  if (!response_.untagged() || (greeting != "OK" && greeting != "PREAUTH")) {
    return Fail(ImapFailure::kProtocol,
                "サーバーの挨拶が OK ではありません : "_cp932 + response_.head().substr(0, 200),
                error);
  }
  const bool preauth = greeting == "PREAUTH";
  if (response_.rest().starts_with("[CAPABILITY ")) NoteCapabilities(response_.rest().substr(12));
  if (plan.start_tls != StartTlsRule::kNever) {
    if (caps_.empty() && !Capabilities(error)) return Fail(ImapFailure::kProtocol, error, error);
    if (plan.start_tls == StartTlsRule::kRequired || Has("STARTTLS")) {
      if (!Command("STARTTLS", {}, error)) {
        if (failure_ != ImapFailure::kRefused) return false;
        return Fail(ImapFailure::kConnect, "サーバーが STARTTLS を受け付けません : "_cp932 + error,
                    error);
      }
      if (!socket_.StartTls(why)) return Fail(ImapFailure::kConnect, why, error);
      caps_.clear();  // what was said before TLS counts no more
    }
  }
  if (caps_.empty() && !Capabilities(error)) return Fail(ImapFailure::kProtocol, error, error);
  if (preauth) return true;
  return Login(login, error);
}

bool ImapClient::Select(const std::string& folder, bool read_only, ImapFolder& state,
                        std::string& error) {
  state = {};
  std::vector<std::string> literals;
  const std::string name = Arg(ImapFolderName(folder), literals);
  const Handler note = [&state](ImapResponse& r) {
    uint64_t n = 0;
    if (NumberedAs(r, "EXISTS", n))
      state.exists = static_cast<uint32_t>(std::min<uint64_t>(n, UINT32_MAX));
    if (r.word() == "OK" && FetchNumber(r.rest(), "[UIDVALIDITY", n)) {
      state.uid_validity = static_cast<uint32_t>(n);
    }
    return true;
  };
  if (Command((read_only ? "EXAMINE " : "SELECT ") + name, note, error, literals)) return true;
  if (failure_ == ImapFailure::kRefused)
    error = "フォルダを開けません : "_cp932 + folder + " " + error;
  return false;
}

bool ImapClient::ListMessages(uint32_t exists, std::vector<ImapMessage>& list, std::string& error) {
  list.clear();
  if (exists == 0) return true;
  const Handler note = [&](ImapResponse& r) {
    uint64_t n = 0, uid = 0, size = 0;
    if (!NumberedAs(r, "FETCH", n)) return true;
    if (!FetchNumber(r.head(), "UID", uid) || !FetchNumber(r.head(), "RFC822.SIZE", size)) {
      return true;  // a flag change the server reports on its own
    }
    if (list.size() >= size_t{exists} + 1000) {
      return Fail(ImapFailure::kBroken, "UID の一覧が終わりません"_cp932, error);
    }
    if (uid > 0 && uid <= UINT32_MAX) list.push_back({static_cast<uint32_t>(uid), size});
    return true;
  };
  return Command("UID FETCH 1:* (UID RFC822.SIZE)", note, error);
}

bool ImapClient::Fetch(const std::vector<ImapMessage>& mails,
                       const std::function<bool(uint32_t, std::string&)>& take,
                       std::string& error) {
  // In batches, so a large mailbox is neither one endless command nor a round trip a mail.
  constexpr size_t kBatchMails = 200, kBatchBytes = size_t{16} << 20;
  for (size_t start = 0; start < mails.size();) {
    std::vector<uint32_t> uids;
    std::unordered_set<uint32_t> wanted;
    size_t bytes = 0, largest = 0, end = start;
    for (; end < mails.size() && uids.size() < kBatchMails && (uids.empty() || bytes < kBatchBytes);
         ++end) {
      uids.push_back(mails[end].uid);
      wanted.insert(mails[end].uid);
      bytes += mails[end].size;
      largest = std::max(largest, std::min(mails[end].size, kMaxMailBytes));
    }
    start = end;
    std::sort(uids.begin(), uids.end());
    reader_.SetMaxLiteral(WithRoom(largest));
    socket_.SetDeadline(kMailBaseMs +
                        static_cast<int>(std::min<size_t>(bytes / kMailBytesPerMs, 1u << 30)));
    const Handler note = [&](ImapResponse& r) {
      uint64_t n = 0, uid = 0;
      if (!NumberedAs(r, "FETCH", n)) return true;
      for (size_t i = 0; i < r.literals.size(); ++i) {
        std::string_view before = r.text[i];
        before = before.substr(0, before.rfind('{'));
        while (before.ends_with(' ')) before.remove_suffix(1);
        if (!before.ends_with("BODY[]")) continue;
        bool found = false;
        for (const std::string& text : r.text) found = found || FetchNumber(text, "UID", uid);
        if (!found || !wanted.erase(static_cast<uint32_t>(uid))) return true;
        if (!take(static_cast<uint32_t>(uid), r.literals[i])) {
          return Fail(ImapFailure::kBroken, "受信を中止しました"_cp932, error);
        }
        return true;
      }
      return true;
    };
    const bool ok = Command("UID FETCH " + UidSet(uids) + " (UID BODY.PEEK[])", note, error);
    reader_.SetMaxLiteral(ImapReader::kDefaultMaxLiteral);
    socket_.SetDeadline(0);
    if (!ok) {
      if (failure_ == ImapFailure::kBroken) error = "受信の途中で接続が切れました : "_cp932 + error;
      return false;
    }
  }
  return true;
}

bool ImapClient::Delete(const std::vector<uint32_t>& uids, int& removed, std::string& error) {
  removed = 0;
  if (uids.empty()) return true;
  std::vector<uint32_t> sorted = uids;
  std::sort(sorted.begin(), sorted.end());
  const std::string set = UidSet(sorted);
  if (!Command("UID STORE " + set + " +FLAGS.SILENT (\\Deleted)", {}, error)) return false;
  const Handler count = [&removed](ImapResponse& r) {
    uint64_t n = 0;
    if (NumberedAs(r, "EXPUNGE", n)) ++removed;
    return true;
  };
  if (Has("UIDPLUS")) return Command("UID EXPUNGE " + set, count, error);
  // Without UIDPLUS, EXPUNGE removes every flagged mail: only when all of them are ours.
  bool only_ours = true;
  const std::unordered_set<uint32_t> ours(sorted.begin(), sorted.end());
  const Handler check = [&](ImapResponse& r) {
    if (!r.untagged() || r.word() != "SEARCH") return true;
    std::string_view rest = r.rest();
    while (!rest.empty()) {
      uint32_t uid = 0;
      const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), uid);
      if (ec != std::errc()) break;
      if (!ours.contains(uid)) only_ours = false;
      rest.remove_prefix(static_cast<size_t>(end - rest.data()));
      while (rest.starts_with(' ')) rest.remove_prefix(1);
    }
    return true;
  };
  if (!Command("UID SEARCH DELETED", check, error)) return false;
  if (!only_ours) return true;  // ours stay flagged; the next receive tries again
  return Command("EXPUNGE", count, error);
}

bool ImapClient::Logout(std::string& error) {
  const bool ok = Command("LOGOUT", {}, error);
  socket_.Close();
  return ok;
}

void ImapClient::Close() { socket_.Close(); }

}  // namespace sorami
