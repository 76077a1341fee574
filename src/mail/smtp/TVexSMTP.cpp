#include "mail/smtp/TVexSMTP.h"

#include <algorithm>

#include "mail/mime/Base64.h"
#include "mail/mime/MailHeader.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

constexpr size_t kChunk = 64 * 1024;  // bytes of message text per write

bool IsDigits3(std::string_view s) {
  return s.size() >= 3 && s[0] >= '0' && s[0] <= '9' && s[1] >= '0' && s[1] <= '9' && s[2] >= '0' &&
         s[2] <= '9';
}

}  // namespace

TVexSMTP::TVexSMTP(LineSocket& socket, SmtpEvents* events) : socket_(socket), events_(events) {}

TVexSMTP::~TVexSMTP() {
  if (connected_) socket_.Close();
}

bool TVexSMTP::Fail(std::string text) {
  failure_ = std::move(text);
  error_ = true;
  if (connected_) {
    socket_.Close();
    connected_ = false;
    if (events_) events_->OnQuit();
  }
  if (events_) events_->OnError(IsDigits3(reply_code_) ? std::stoi(reply_code_) : 0, failure_);
  return false;
}

// A refusal by the server: what was refused, with the server's own reply.
bool TVexSMTP::Refused(std::string_view what) {
  std::string text(what);
  text += ": " + reply_code_;
  if (!reply_text_.empty()) text += " " + reply_text_;
  return Fail(std::move(text));
}

// Reads one reply, every line of a multi-line one: lines "250-..." go on, the line whose
// fourth character is a blank (or that is the code alone) ends it. A reply of more than
// kMaxReplyLines lines or kMaxReplyBytes bytes is no answer but a broken or hostile server.
bool TVexSMTP::ReadReply() {
  reply_lines_.clear();
  std::string line, error;
  size_t bytes = 0;
  while (true) {
    if (!socket_.ReadLine(line, error)) {
      reply_code_.clear();
      reply_text_.clear();
      return Fail("サーバーからの応答がありません: "_cp932 + error);
    }
    bytes += line.size();
    if (reply_lines_.size() == kMaxReplyLines || bytes > kMaxReplyBytes) {
      reply_lines_.clear();
      reply_code_.clear();
      reply_text_.clear();
      return Fail("サーバーの応答が長すぎます"_cp932);
    }
    const bool last = IsDigits3(line) && (line.size() == 3 || line[3] == ' ');
    reply_lines_.push_back(line.size() > 4 ? line.substr(4) : std::string());
    if (!last) continue;
    reply_code_ = line.substr(0, 3);
    reply_text_ = std::string(TrimView(line.size() > 4 ? line.substr(4, 64) : std::string()));
    return true;
  }
}

bool TVexSMTP::Command(std::string_view line, std::string_view expect) {
  std::string error;
  if (!socket_.WriteLine(line, error)) return Fail("サーバーへ送れません: "_cp932 + error);
  return ReadReply() && reply_code_ == expect;
}

bool TVexSMTP::Offers(std::string_view keyword) const {
  for (const std::string& c : capabilities_) {
    if (c == keyword ||
        (c.size() > keyword.size() && c.starts_with(keyword) && c[keyword.size()] == ' ')) {
      return true;
    }
  }
  return false;
}

bool TVexSMTP::Connect(const SmtpServer& server) {
  error_ = false;
  failure_.clear();
  reply_code_.clear();
  reply_text_.clear();
  std::string error;
  if (!socket_.Connect(server.host, server.port, server.plan.socket, error)) {
    return Fail("SMTP サーバーに接続できません: "_cp932 + error);
  }
  connected_ = true;
  local_name_ = server.local_name;
  if (events_) events_->OnConnect();
  return Greet(server);
}

bool TVexSMTP::Greet(const SmtpServer& server) {
  if (!ReadReply()) return false;
  if (reply_code_ != "220") return Refused("サーバーが接続を断りました"_cp932);
  const bool may_upgrade = server.plan.start_tls != StartTlsRule::kNever;
  if (!Hello(server, !server.user.empty() || may_upgrade)) return false;
  if (may_upgrade && (Offers("STARTTLS") || server.plan.start_tls == StartTlsRule::kRequired)) {
    if (!Offers("STARTTLS")) {
      return Fail("サーバーが STARTTLS に対応していません"_cp932);
    }
    if (!Command("STARTTLS", "220"))
      return error_ ? false : Refused("STARTTLS が断られました"_cp932);
    std::string tls_error;
    if (!socket_.StartTls(tls_error)) {
      return Fail("TLS で接続できません: "_cp932 + tls_error);
    }
    // What the server offered before the negotiation no longer counts.
    if (!Hello(server, true)) return false;
  }
  return Login(server);
}

// EHLO (HELO when not extended; also when an old server refuses EHLO and nothing needs the
// extensions). Keeps the offered extensions.
bool TVexSMTP::Hello(const SmtpServer& server, bool extended) {
  capabilities_.clear();
  if (extended) {
    if (Command("EHLO " + server.local_name, "250")) {
      for (size_t i = 1; i < reply_lines_.size(); ++i) {
        capabilities_.push_back(UpperAscii(TrimView(reply_lines_[i])));
      }
      return true;
    }
    if (error_ || server.plan.start_tls == StartTlsRule::kRequired || reply_code_[0] != '5') {
      return error_ ? false : Refused("EHLO が断られました"_cp932);
    }
  }
  if (!Command("HELO " + server.local_name, "250")) {
    return error_ ? false : Refused("HELO が断られました"_cp932);
  }
  return true;
}

bool TVexSMTP::Login(const SmtpServer& server) {
  if (server.user.empty()) return true;
  bool plain = false, login = false;
  // "AUTH PLAIN LOGIN", or the older "AUTH=LOGIN PLAIN".
  for (const std::string& c : capabilities_) {
    if (!c.starts_with("AUTH ") && !c.starts_with("AUTH=")) continue;
    const std::string methods = " " + c.substr(5) + " ";
    plain = plain || methods.find(" PLAIN ") != std::string::npos;
    login = login || methods.find(" LOGIN ") != std::string::npos;
  }
  // A server that asks for no login takes the mail without one.
  if (plain) {
    std::string token;
    token.append(1, '\0').append(server.user).append(1, '\0').append(server.password);
    if (Command("AUTH PLAIN " + Base64Encode(token), "235")) return true;
  } else if (login) {
    if (Command("AUTH LOGIN", "334") && Command(Base64Encode(server.user), "334") &&
        Command(Base64Encode(server.password), "235")) {
      return true;
    }
  } else {
    return true;
  }
  return error_ ? false : Refused("ログインが拒否されました"_cp932);
}

// One transaction for every recipient: MAIL, a RCPT for each address, DATA, the text.
bool TVexSMTP::SendText(std::string_view sender, const std::vector<std::vector<std::string>>& lists,
                        std::string_view text) {
  accepted_.clear();
  refused_.clear();
  if (!connected_) return Fail("Not connected.");
  std::vector<std::string> rcpts;
  for (const std::vector<std::string>& list : lists) {
    for (const std::string& to : list) {
      if (std::find(rcpts.begin(), rcpts.end(), to) == rcpts.end()) rcpts.push_back(to);
    }
  }
  if (events_) events_->OnBeforeSend();
  if (!Command("MAIL FROM:<" + std::string(sender) + ">", "250")) {
    return error_ ? false : Refused("送信者が拒否されました"_cp932);
  }
  if (!Recipients(rcpts)) return false;
  if (!Command("DATA", "354")) return error_ ? false : Refused("DATA が断られました"_cp932);
  std::string error;
  // The data always ends with an empty line before the final ".".
  if (!Transmit(text)) return false;
  if (!socket_.Write("\r\n.\r\n", error)) return Fail("サーバーへ送れません: "_cp932 + error);
  if (!ReadReply()) return false;
  if (reply_code_ != "250") return Refused("メールが受け取られませんでした"_cp932);
  if (events_) events_->OnSendProgress(100);
  if (events_) events_->OnAfterSend();
  return true;
}

// RCPT for each address: those taken go on, those refused are noted; false when none was
// taken (every refusal named) or the connection failed.
bool TVexSMTP::Recipients(const std::vector<std::string>& rcpts) {
  std::string error;
  for (const std::string& to : rcpts) {
    if (!socket_.WriteLine("RCPT TO:<" + to + ">", error)) {
      return Fail("サーバーへ送れません: "_cp932 + error);
    }
    if (!ReadReply()) return false;
    if (reply_code_ == "250" || reply_code_ == "251") {
      accepted_.push_back(to);
    } else {
      refused_.push_back({to, reply_code_ + (reply_text_.empty() ? "" : " " + reply_text_)});
    }
  }
  if (!accepted_.empty()) return true;
  std::string text = "宛先が拒否されました"_cp932;
  for (const SmtpRefusal& r : refused_) text += " <" + r.address + "> " + r.reply;
  return Fail(rcpts.empty() ? "\"SendTo\" field not specified." : text);
}

// The message text, each line that starts with "." given a second one, in writes of a few
// tens of kilobytes; progress every SendProgressStep percent.
bool TVexSMTP::Transmit(std::string_view text) {
  std::string chunk, error;
  chunk.reserve(kChunk + 1024);
  const int step = SendProgressStep > 0 ? SendProgressStep : 1;
  int next = step;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    end = end == std::string_view::npos ? text.size() : end + 1;
    if (text[pos] == '.') chunk += '.';
    chunk.append(text.substr(pos, end - pos));
    pos = end;
    if (chunk.size() < kChunk && pos < text.size()) continue;
    if (!socket_.Write(chunk, error)) return Fail("サーバーへ送れません: "_cp932 + error);
    chunk.clear();
    const int percent = static_cast<int>(pos * 100 / text.size());
    if (percent >= next) {
      if (events_) events_->OnSendProgress(percent);
      next = (percent / step + 1) * step;
    }
  }
  return true;
}

void TVexSMTP::Quit() {
  if (!connected_) return;
  // The server's goodbye; a wrong one is told as an error, the connection ends either way.
  if (!Command("QUIT", "221")) {
    if (!error_) Refused("QUIT");
    return;
  }
  socket_.Close();
  connected_ = false;
  if (events_) events_->OnQuit();
}

}  // namespace sorami
