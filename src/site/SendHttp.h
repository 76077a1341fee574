// One site request: POST the fields to the service's server program on a host, and split its
// answer into a result, a message (for the status bar) and a value (the data lines).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "site/SiteSession.h"
#include "site/SiteWire.h"

namespace sorami {

// kind selects the server program ("GETDYN": WbUpdate.exe?, else WbMessage.exe?), whether
// the progress window shows, the body form ("SENDWIN" with files to send: multipart) and
// the answer handling ("SENDSMTP": split at "OK(PGM)", result always false).
// Fields are "NAME=value" lines in code page 932.
bool SendHTTP(SiteSession& ss, SiteRequest kind, std::string_view host,
              const std::vector<std::string>& fields, std::string& value, std::string& msg);

// Lets one site request (a fetch, a check, a send) run at a time: a second one started while
// the first waits (a click or a timer tick arrives during the wait) is refused.
class SiteGuard {
 public:
  explicit SiteGuard(SiteSession& ss) : ss_(ss), owner_(!ss.busy) { ss_.busy = true; }
  ~SiteGuard() {
    if (owner_) ss_.busy = false;
  }
  SiteGuard(const SiteGuard&) = delete;
  SiteGuard& operator=(const SiteGuard&) = delete;
  // False when another request is already running.
  bool acquired() const { return owner_; }

 private:
  SiteSession& ss_;
  bool owner_;
};

// The progress window ("実行中　しばらくお待ちください") shown while a request waits, hidden
// however the request ends.
class ProgressShown {
 public:
  ProgressShown(SiteSession& ss, bool show);
  ~ProgressShown();
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;

 private:
  SiteSession& ss_;
  bool shown_;
};

// The status-bar text for a refused second request.
std::string BusyMessage();

}  // namespace sorami
