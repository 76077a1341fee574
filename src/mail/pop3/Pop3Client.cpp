#include "mail/pop3/Pop3Client.h"

#include <charconv>

#include "platform/Codepage.h"

namespace sorami {

namespace {

bool IsOk(std::string_view reply) { return reply.starts_with("+OK"); }

// The first number after the status of a reply ("+OK 3 1200" gives 3).
template <typename Number>
bool FirstNumber(std::string_view reply, Number& value) {
  const size_t start = reply.find_first_of("0123456789");
  if (start == std::string_view::npos) return false;
  const char* end = reply.data() + reply.size();
  return std::from_chars(reply.data() + start, end, value).ec == std::errc();
}

}  // namespace

bool Pop3Client::Fail(Pop3Failure why, std::string text, std::string& error) {
  failure_ = why;
  error = std::move(text);
  if (why == Pop3Failure::kBroken || why == Pop3Failure::kConnect) socket_.Close();
  return false;
}

bool Pop3Client::ReadStatus(std::string& reply, std::string& error) {
  std::string why;
  if (!socket_.ReadLine(reply, why)) return Fail(Pop3Failure::kBroken, why, error);
  if (reply.size() > kMaxReplyBytes) {
    reply.resize(64);
    return Fail(Pop3Failure::kBroken, "サーバーの応答が長すぎます : "_cp932 + reply, error);
  }
  return true;
}

bool Pop3Client::Command(std::string_view line, std::string& reply, std::string& error) {
  failure_ = Pop3Failure::kNone;
  std::string why;
  if (!socket_.WriteLine(line, why)) return Fail(Pop3Failure::kBroken, why, error);
  if (!ReadStatus(reply, error)) return false;
  if (IsOk(reply)) return true;
  if (!reply.starts_with("-ERR")) {
    return Fail(Pop3Failure::kProtocol, "サーバーの応答が正しくありません : "_cp932 + reply, error);
  }
  return Fail(Pop3Failure::kRefused, reply, error);
}

bool Pop3Client::NextDataLine(std::string& line, bool& more, std::string& error) {
  std::string why;
  if (!socket_.ReadLine(line, why)) {
    return Fail(Pop3Failure::kBroken, "受信の途中で接続が切れました : "_cp932 + why, error);
  }
  more = line != ".";
  if (more && line.starts_with("..")) line.erase(0, 1);  // the server's added dot
  return true;
}

bool Pop3Client::StartTls(bool required, std::string& error) {
  std::string reply;
  if (!required) {
    // Only a server that lists STLS among its capabilities is asked.
    if (!Command("CAPA", reply, error)) {
      if (failure_ != Pop3Failure::kRefused) return false;
      failure_ = Pop3Failure::kNone;
      return true;
    }
    bool offered = false;
    for (int lines = 0;; ++lines) {
      bool more = true;
      if (!NextDataLine(line_, more, error)) return false;
      if (!more) break;
      if (lines == 1000) {
        return Fail(Pop3Failure::kBroken, "CAPA の応答が終わりません"_cp932, error);
      }
      if (line_ == "STLS" || line_.starts_with("STLS ")) offered = true;
    }
    if (!offered) return true;
  }
  if (!Command("STLS", reply, error)) {
    if (failure_ != Pop3Failure::kRefused) return false;
    return Fail(Pop3Failure::kConnect, "サーバーが STLS を受け付けません : "_cp932 + reply, error);
  }
  std::string why;
  if (!socket_.StartTls(why)) return Fail(Pop3Failure::kConnect, why, error);
  return true;
}

bool Pop3Client::Open(const Pop3Account& account, std::string& error) {
  failure_ = Pop3Failure::kNone;
  std::string why;
  if (!socket_.SetExtraCaFile(account.ca_file, why)) {
    return Fail(Pop3Failure::kConnect, why, error);
  }
  const ConnectPlan plan = PlanConnection(account.security, account.port);
  if (!socket_.Connect(account.host, account.port, plan.socket, why)) {
    return Fail(Pop3Failure::kConnect, why, error);
  }
  std::string reply;
  if (!ReadStatus(reply, error)) return false;
  if (!IsOk(reply)) {
    socket_.Close();
    return Fail(Pop3Failure::kProtocol, "サーバーの挨拶が +OK ではありません : "_cp932 + reply,
                error);
  }
  if (plan.start_tls != StartTlsRule::kNever &&
      !StartTls(plan.start_tls == StartTlsRule::kRequired, error)) {
    socket_.Close();
    return false;
  }
  for (const std::string& command : {"USER " + account.user, "PASS " + account.password}) {
    if (!Command(command, reply, error)) {
      if (failure_ == Pop3Failure::kRefused) {
        Fail(Pop3Failure::kLogin, "ログインできません : "_cp932 + reply, error);
      }
      socket_.Close();
      return false;
    }
  }
  return true;
}

bool Pop3Client::Stat(int& count, std::string& error) {
  std::string reply;
  if (!Command("STAT", reply, error)) return false;
  if (!FirstNumber(reply, count) || count < 0) {
    return Fail(Pop3Failure::kProtocol, "STAT の応答が正しくありません : "_cp932 + reply, error);
  }
  return true;
}

bool Pop3Client::Uidl(int count, std::map<int, std::string>& ids, std::string& error) {
  ids.clear();
  std::string reply;
  if (!Command("UIDL", reply, error)) return false;
  int lines = 0;
  for (bool more = true;;) {
    if (!NextDataLine(line_, more, error)) return false;
    if (!more) break;
    if (++lines > count || line_.size() > kMaxReplyBytes) {
      return Fail(Pop3Failure::kBroken, "UIDL の応答が正しくありません"_cp932, error);
    }
    int n = 0;
    const size_t blank = line_.find(' ');
    if (blank == std::string::npos || !FirstNumber(line_.substr(0, blank), n)) continue;
    if (n >= 1 && n <= count) ids[n] = line_.substr(blank + 1);
  }
  return true;
}

bool Pop3Client::List(int number, size_t& size, std::string& error) {
  std::string reply;
  if (!Command("LIST " + std::to_string(number), reply, error)) return false;
  // "+OK n size"
  const size_t blank = reply.find(' ', reply.find_first_of("0123456789"));
  if (blank == std::string::npos || !FirstNumber(std::string_view(reply).substr(blank), size)) {
    return Fail(Pop3Failure::kProtocol, "LIST の応答が正しくありません : "_cp932 + reply, error);
  }
  return true;
}

bool Pop3Client::Retr(int number, size_t size, std::string& text, std::string& error) {
  text.clear();
  if (size > kMaxMailBytes) {
    failure_ = Pop3Failure::kRefused;
    error = "メールが大きすぎるため受信しません : "_cp932 + std::to_string(size) + " バイト"_cp932;
    return false;
  }
  // Room for a server that counts its sizes differently, never for an endless mail.
  const size_t limit = size + size / 8 + 65536;
  std::string reply;
  socket_.SetDeadline(kMailBaseMs + static_cast<int>(size / kMailBytesPerMs));
  const bool ok = [&] {
    if (!Command("RETR " + std::to_string(number), reply, error)) return false;
    size_t reported = 0;
    for (bool more = true;;) {
      if (!NextDataLine(line_, more, error)) return false;
      if (!more) return true;
      if (text.size() + line_.size() + 2 > limit) {
        text.clear();
        return Fail(Pop3Failure::kBroken,
                    "メールがサーバーの示した大きさを超えました : "_cp932 + std::to_string(size) +
                        " バイト"_cp932,
                    error);
      }
      text.append(line_).append("\r\n");
      if (progress_ && text.size() - reported >= 65536) {
        reported = text.size();
        progress_->OnRetrieveBytes(number, reported);
      }
    }
  }();
  socket_.SetDeadline(0);
  return ok;
}

bool Pop3Client::Dele(int number, std::string& error) {
  std::string reply;
  return Command("DELE " + std::to_string(number), reply, error);
}

bool Pop3Client::Quit(std::string& error) {
  std::string reply;
  const bool ok = Command("QUIT", reply, error);
  socket_.Close();
  return ok;
}

void Pop3Client::Close() { socket_.Close(); }

}  // namespace sorami
