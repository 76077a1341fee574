#include "Answer.h"

#include "Text.h"

namespace sorami::site {

std::string Answer::Body() const {
  std::size_t size = head.size() + 1 + status.size() + (joined.empty() ? 0 : 2 + joined.size());
  for (const std::string& line : lines) size += 2 + line.size();
  std::string body;
  body.reserve(size);
  body.append(head).append("\t").append(status);
  for (const std::string& line : lines) body.append("\r\n").append(line);
  if (!joined.empty()) body.append("\r\n").append(joined);
  return body;
}

Answer Success(std::string head, std::string_view utf8Message) {
  return Answer{std::move(head), std::string(kOkMark) + Sj(utf8Message), {}, {}};
}

Answer Refusal(std::string head, std::string cp932Message) {
  return Answer{std::move(head), std::move(cp932Message), {}, {}};
}

}  // namespace sorami::site
