#include "Answer.h"

#include "Text.h"

namespace sorami::site {

std::string Answer::Body() const {
  std::string body = head + "\t" + status;
  for (const std::string& line : lines) body += "\r\n" + line;
  return body;
}

Answer Success(std::string head, std::string_view utf8Message) {
  return Answer{std::move(head), std::string(kOkMark) + Sj(utf8Message), {}};
}

Answer Refusal(std::string head, std::string cp932Message) {
  return Answer{std::move(head), std::move(cp932Message), {}};
}

}  // namespace sorami::site
