#include "mail/imap/ImapReader.h"

#include <charconv>

#include "platform/Codepage.h"

namespace sorami {

namespace {

std::string_view Word(std::string_view text) {
  const size_t blank = text.find(' ');
  return text.substr(0, blank);
}

// The text after the tag (or "*").
std::string_view AfterTag(std::string_view head) {
  const size_t blank = head.find(' ');
  return blank == std::string_view::npos ? std::string_view() : head.substr(blank + 1);
}

}  // namespace

std::string_view ImapResponse::tag() const {
  if (untagged() || continuation()) return {};
  return Word(head());
}

std::string_view ImapResponse::word() const { return Word(AfterTag(head())); }

std::string_view ImapResponse::rest() const {
  const std::string_view after = AfterTag(head());
  const size_t blank = after.find(' ');
  return blank == std::string_view::npos ? std::string_view() : after.substr(blank + 1);
}

bool LiteralCount(std::string_view line, size_t& count) {
  if (!line.ends_with('}')) return false;
  const size_t open = line.rfind('{');
  if (open == std::string_view::npos) return false;
  std::string_view digits = line.substr(open + 1, line.size() - open - 2);
  if (digits.ends_with('+')) digits.remove_suffix(1);
  if (digits.empty() || digits.size() > 20) return false;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  return ec == std::errc() && end == digits.data() + digits.size();
}

bool ImapReader::Read(ImapResponse& response, std::string& error) {
  response.text.clear();
  response.literals.clear();
  for (;;) {
    std::string line;
    if (!socket_.ReadLine(line, error)) return false;
    size_t count = 0;
    const bool literal = LiteralCount(line, count);
    response.text.push_back(std::move(line));
    if (!literal) return true;
    if (response.literals.size() == kMaxLiterals) {
      socket_.Close();
      error = "サーバーの応答に含まれるデータが多すぎます"_cp932;
      return false;
    }
    if (count > max_literal_) {
      socket_.Close();
      error = "サーバーが大きすぎるデータを送ろうとしました : "_cp932 + std::to_string(count) +
              " バイト"_cp932;
      return false;
    }
    std::string bytes;
    if (!socket_.ReadBytes(count, bytes, error)) return false;
    response.literals.push_back(std::move(bytes));
  }
}

}  // namespace sorami
