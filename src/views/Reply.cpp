#include "views/Reply.h"

#include "base/MbText.h"
#include "views/History.h"

namespace sorami {

namespace {

// A body fetched in this run still holds the site's escaped line breaks (0x0C 0x0B); as a
// stored body does after a restart, it is quoted with its real line breaks.
std::string RealLineBreaks(std::string_view body) {
  if (body.find('\x0C') == std::string_view::npos) return std::string(body);
  return UnescapeField(body);
}

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

bool Henshin(DiagLog& log, const TArMastd& store, int32_t row, ReplyKind kind, ReplyFields& out) {
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
  out.to = col(MastCol::kSender);
  if (kind == ReplyKind::kAll) {
    out.to += "," + SetToName(log, store.Get(row, MastCol::kTo), store.Get(row, MastCol::kToList));
  }
  out.cc = col(MastCol::kCc);
  out.bcc = col(MastCol::kBcc);
  out.title = ReplyTitle(store.Get(row, MastCol::kTitle));
  out.body = ConvInyou(log, body, ">");
  return true;
}

}  // namespace sorami
