// One exchange with a server at a time: a site request, a POP3 receive or an SMTP send. Each
// waits in a local event loop, so a click, a timer tick or the window's close can come in
// meanwhile: the guard refuses a second exchange, a timed fetch waits its turn, and the close
// and the ending signals wait until the exchange is over, then save what it brought.
#pragma once

#include <string>

namespace sorami {

class Busy {
 public:
  // An exchange is running.
  bool busy() const { return running_; }

 private:
  friend class BusyGuard;
  bool running_ = false;
};

// Held for the length of one exchange; a second guard made while the first lives is not
// acquired and must do nothing.
class BusyGuard {
 public:
  explicit BusyGuard(Busy& busy) : busy_(busy), owner_(!busy.running_) { busy_.running_ = true; }
  ~BusyGuard() {
    if (owner_) busy_.running_ = false;
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  // False when another exchange is already running.
  bool acquired() const { return owner_; }

 private:
  Busy& busy_;
  bool owner_;
};

// The status-bar text for a refused second exchange.
std::string BusyMessage();

}  // namespace sorami
