// The POP3 dialogue over a line socket: the greeting, STLS, USER and PASS, STAT, UIDL, RETR,
// DELE and QUIT. One message is held at a time, so memory follows the largest message, not
// the mailbox. Every failure ends the call with a code page 932 text; a connection that
// breaks is never taken for an answer.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/LineSocket.h"

namespace sorami {

// A POP3 mailbox and how to reach it.
using Pop3Account = MailboxLogin;

// Told how a retrieval goes, so a window can show it and keep repainting.
class Pop3Progress {
 public:
  virtual ~Pop3Progress() = default;
  // Every 64 KiB of a message being retrieved.
  virtual void OnRetrieveBytes(int /*number*/, size_t /*bytes*/) {}
};

// Why a call failed.
enum class Pop3Failure {
  kNone,
  kConnect,   // the connection could not be opened (refused, time-out, certificate, TLS)
  kLogin,     // the server refused the user or the password
  kRefused,   // the server answered -ERR to a command
  kProtocol,  // the server's answer made no sense (a greeting that is not +OK, a bad count)
  kBroken,    // the connection broke or timed out in the middle of the dialogue
};

class Pop3Client {
 public:
  // A status line or a line of a listing longer than this is no POP3 answer (the standard
  // allows 512 bytes).
  static constexpr size_t kMaxReplyBytes = 4096;
  // The largest mail retrieved; a larger one is refused before its first line.
  static constexpr size_t kMaxMailBytes = size_t{256} << 20;
  // Time for a mail: a base, plus a millisecond for every so many bytes of it.
  static constexpr int kMailBaseMs = 60000;
  static constexpr size_t kMailBytesPerMs = 8;

  explicit Pop3Client(LineSocket& socket, Pop3Progress* progress = nullptr)
      : socket_(socket), progress_(progress) {}

  // Connects as the account's security box and port say, reads the greeting, negotiates
  // TLS through STLS when it is required or (with "自動" on another port) offered, and logs
  // in with USER and PASS.
  bool Open(const Pop3Account& account, std::string& error);
  // The number of messages in the mailbox.
  bool Stat(int& count, std::string& error);
  // The unique id of every message the server lists, ids[n] for message n (1 to count).
  // Nothing is allocated from the count: only what the server lists is kept, and a list
  // longer than the mailbox is a protocol failure. A server without UIDL answers -ERR: the
  // result is false, failure() kRefused, and the dialogue can go on.
  bool Uidl(int count, std::map<int, std::string>& ids, std::string& error);
  // The size of message n in bytes, as the server counts it.
  bool List(int number, size_t& size, std::string& error);
  // Message n: its lines, dot-unstuffed, each ended by CR LF; without the status line and
  // the final ".". `size` is what List() gave: the text may not grow past it (with some
  // room for a server that counts differently), and the whole retrieval has a deadline
  // that grows with it, besides the socket's idle time-out.
  bool Retr(int number, size_t size, std::string& text, std::string& error);
  bool Dele(int number, std::string& error);
  // Ends the dialogue (the server deletes what DELE marked) and closes the connection.
  bool Quit(std::string& error);
  void Close();

  Pop3Failure failure() const { return failure_; }

 private:
  // Sends a command and reads its status line; true on "+OK".
  bool Command(std::string_view line, std::string& reply, std::string& error);
  bool ReadStatus(std::string& reply, std::string& error);
  // The next line of a multi-line answer; false at the final ".".
  bool NextDataLine(std::string& line, bool& more, std::string& error);
  bool Fail(Pop3Failure why, std::string text, std::string& error);
  bool StartTls(bool required, std::string& error);

  LineSocket& socket_;
  Pop3Progress* progress_;
  Pop3Failure failure_ = Pop3Failure::kNone;
  std::string line_;
};

}  // namespace sorami
