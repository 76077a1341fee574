// The commands of the site service. Each takes the request's fields and the database and
// returns the answer, or throws Refused with the Japanese text of the refusal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Answer.h"
#include "Db.h"
#include "Form.h"

namespace sorami::site {

struct Config {
  std::string dbPath;
  std::string publicHost;  // "host:port" this instance is reached at; empty: serves every site
  std::string smtpRelay;   // "host:port" of the SMTP relay; empty: SENDSMTP is refused
  // How long attachments stay open after their message was first delivered, in seconds.
  std::int64_t attachmentLifetime = 24 * 60 * 60;
};

struct Request {
  Db& db;
  const Config& config;
  const Form& form;
};

// The value of a field that must not be empty.
const std::string& Required(const Form& form, const char* name);

// Directory server (WbMessage.exe, WbUpdate.exe, WbClaim.exe).
Answer GetHost(const Request& r);
Answer SiteList(const Request& r);
Answer GetDyn(const Request& r);
// A claim report of at most kMaxClaimBytes (its fields as stored), a few per address and hour.
inline constexpr std::size_t kMaxClaimBytes = 8 * 1024;
// Of a reported message's body, the report keeps this much.
inline constexpr std::size_t kMaxClaimBodyBytes = 4 * 1024;
Answer Claim(const Request& r);

// A site's host: the account check, fetching and sending.
Answer Check(const Request& r);
Answer Fetch(const Request& r, bool remove);
Answer SendWin(const Request& r);
Answer SendSmtp(const Request& r);

// Read receipts: given to the sender's host, deposited with the directory server, collected.
Answer Feedback(const Request& r);
Answer Deposit(const Request& r);
Answer GetFeedback(const Request& r);

// WbTenpu.exe: the bytes of one attachment, or nullopt when there is no such attachment or it
// was delivered `lifetime` seconds ago or longer.
std::optional<std::string> Attachment(Db& db, const TenpuQuery& query, std::int64_t lifetime);

}  // namespace sorami::site
