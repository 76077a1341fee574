#include "views/Reply.h"

#include <vector>

#include "base/MbText.h"
#include "mail/mime/MailAddress.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

// A body fetched in this run still holds the site's escaped line breaks (0x0C 0x0B); as a
// stored body does after a restart, it is quoted with its real line breaks.
std::string RealLineBreaks(std::string_view body) {
  if (body.find('\x0C') == std::string_view::npos) return std::string(body);
  return UnescapeField(body);
}

// Compares addresses without regard to the case of Latin letters (single-byte characters only).
std::string FoldKey(std::string_view s) {
  std::string k(s);
  for (size_t i = 0; i < k.size(); i += MbCharLen(k, i)) {
    if (MbCharLen(k, i) == 1 && k[i] >= 'A' && k[i] <= 'Z') k[i] = static_cast<char>(k[i] + 32);
  }
  return k;
}

bool IsMailAddress(std::string_view text) { return MbPos("@", text) > 0; }

// A site recipient of a message written on `site`, as "nickname%site". The relation the
// writer chose for the recipient ("/n") is the writer's, not the replier's: it is dropped.
std::string SiteAddress(std::string_view piece, std::string_view site) {
  std::string a(TrimBytes(piece));
  const size_t slash = MbFind("/", a);
  if (slash != std::string::npos) a.erase(slash);
  a = std::string(TrimBytes(a));
  if (!a.empty() && MbPos("%", a) == 0 && !site.empty()) a += "%" + std::string(site);
  return a;
}

// The recipients of a reply: each once over To and CC, never the replier.
class ReplyRecipients {
 public:
  explicit ReplyRecipients(const ReplySelf& self) {
    if (!self.nickname.empty()) seen_.push_back(FoldKey(self.nickname + "%" + self.site));
    if (!self.mail_address.empty()) seen_.push_back(FoldKey(self.mail_address));
  }
  void Add(std::string address, std::string& list) {
    if (address.empty()) return;
    std::string key = FoldKey(address);
    for (const std::string& k : seen_) {
      if (k == key) return;
    }
    seen_.push_back(std::move(key));
    if (!list.empty()) list += ',';
    list += address;
  }
  // The pieces of a site record's recipient column ("," or "、" between them).
  void AddSitePieces(std::string_view column, std::string_view site, std::string& list) {
    std::string text(column);
    ReplaceAll("％"_cp932, "%", text);
    ReplaceAll("、"_cp932, ",", text);
    std::string_view rest = text, piece;
    while (!rest.empty()) {
      SplitToken(",", rest, piece);
      Add(IsMailAddress(piece) ? ExtractAddress(piece, false) : SiteAddress(piece, site), list);
    }
  }
  // The mailboxes of a mail record's address header, by their bare addresses.
  void AddMailboxes(std::string_view column, std::string& list) {
    for (const std::string& m : SplitAddresses(column)) Add(ExtractAddress(m, false), list);
  }

 private:
  std::vector<std::string> seen_;
};

}  // namespace

std::string ConvInyou(DiagLog& log, std::string_view text, std::string_view prefix) {
  log.Log(".ConvInyou str:" + std::string(text) + " inyou:" + std::string(prefix));
  std::string out;
  out.reserve(text.size() + text.size() / 8 + prefix.size());
  for (;;) {
    const size_t end = text.find("\r\n");
    out.append(prefix).append(text.substr(0, end));
    if (end == std::string_view::npos) break;
    out += "\r\n";
    text.remove_prefix(end + 2);
  }
  return out;
}

std::string ReplyTitle(std::string_view title) {
  if (title.find("Re:") != std::string_view::npos) return std::string(title);
  return "Re: " + std::string(title);
}

bool Henshin(DiagLog& log, const TArMastd& store, int32_t row, ReplyKind kind,
             const ReplySelf& self, ReplyFields& out) {
  log.Log("Henshin");
  if (row < 0 || row >= store.CtMaster()) return false;
  auto col = [&](MastCol c) { return std::string(store.Get(row, c)); };
  const std::string body = RealLineBreaks(store.Get(row, MastCol::kBody));
  out = ReplyFields{};
  out.kankei = col(MastCol::kRelation);
  if (kind == ReplyKind::kResend) {
    out.to = col(MastCol::kTo);
    out.title = col(MastCol::kTitle);
    out.body = body;
    out.sets_cc_bcc = false;
    return true;
  }
  // The sender goes first. A reply to all leaves the replier out, unless nobody else is left
  // (a reply to all of one's own copy goes to its recipients).
  const std::string sender = col(MastCol::kSender);
  const bool mail = IsMailAddress(sender);
  const std::string site = col(MastCol::kSenderSite);
  out.to = mail ? ExtractAddress(sender, false) : SiteAddress(sender, site);
  if (kind == ReplyKind::kAll) {
    ReplyRecipients r(self);
    std::string to_rest;
    r.Add(out.to, to_rest);
    if (mail) {
      r.AddMailboxes(store.Get(row, MastCol::kTo), to_rest);
      r.AddMailboxes(store.Get(row, MastCol::kCc), out.cc);
    } else {
      // The multi-recipient list holds the CC recipients too: they stay in CC.
      r.AddSitePieces(store.Get(row, MastCol::kTo), site, to_rest);
      r.AddSitePieces(store.Get(row, MastCol::kCc), site, out.cc);
      r.AddSitePieces(store.Get(row, MastCol::kToList), site, to_rest);
    }
    out.to = to_rest.empty() ? out.to : to_rest;
  }
  out.title = ReplyTitle(store.Get(row, MastCol::kTitle));
  out.body = ConvInyou(log, body, ">");
  return true;
}

}  // namespace sorami
