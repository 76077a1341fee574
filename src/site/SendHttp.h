// One site request: POST the fields to the service's server program on a host, and split its
// answer into a result, a message (for the status bar) and a value (the data lines).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SpoolFile.h"
#include "site/SiteSession.h"
#include "site/SiteWire.h"

namespace sorami {

// How a site request ended.
enum class SiteOutcome {
  kOk,           // the service answered and accepted ("OK(PGM)")
  kRefused,      // the service answered and refused; its text is the message
  kUnreachable,  // the request never reached the service whole: nothing was done there
  kNoAnswer,     // the request went out whole and no usable answer came back: the service
                 // may have acted on it
};

struct SiteAnswer {
  SiteOutcome outcome = SiteOutcome::kUnreachable;
  std::string value;  // the data lines of the answer
  std::string msg;    // the service's message, or the result text of a failed exchange
  bool ok() const { return outcome == SiteOutcome::kOk; }
};

// The result text of an exchange that failed before the service could answer: "接続エラー".
std::string TransportFailureText(SiteOutcome outcome);

// "添付ファイルを読めません : " and the file's path.
std::string UnreadableAttachmentText(const std::filesystem::path& file);
// Whether every file of a send attachment list can be read; msg names the first that cannot.
// Checked before a send starts, so no route sends the message without one of its files.
bool SendAttachmentsReadable(const std::vector<std::filesystem::path>& files, std::string& msg);

// How far an HTTP exchange got, as a site outcome: kOk when a success answer came whole (its
// content still to be read), kRefused for an error status, else kUnreachable or kNoAnswer by
// whether the request went out whole.
SiteOutcome TransportOutcome(const HttpResponse& resp);

// kind selects the server program ("GETDYN": WbUpdate.exe?, else WbMessage.exe?), whether
// the progress window shows, the body form ("SENDWIN" with files to send: multipart) and
// the answer handling ("SENDSMTP": split at "OK(PGM)", what comes before it is the value).
// Fields are "NAME=value" lines in code page 932. Failures are noted in the account log. A file
// to send that cannot be read stops the request before it goes out (kUnreachable, the message
// naming the file).
// With a spool, the answer is streamed into it (ss.max_fetch_answer_bytes at most) instead of
// memory: an accepted answer leaves the value empty and the spool just after the status line,
// its value lines to be read from there (lf_only tells how they end).
struct AnswerSpool {
  SpoolFile file;
  bool lf_only = false;
  long long max_bytes = 0;    // 0: ss.max_fetch_answer_bytes
  bool write_failed = false;  // the answer could not be kept: msg says why ("保存失敗 : ...")
};
SiteAnswer SendHTTP(SiteSession& ss, SiteRequest kind, std::string_view host,
                    const std::vector<std::string>& fields, AnswerSpool* spool = nullptr);

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

}  // namespace sorami
