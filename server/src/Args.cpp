#include "Args.h"

#include <charconv>
#include <set>

namespace sorami::site {

std::optional<Args> ParseArgs(int argc, char** argv, std::string& error) {
  static const std::set<std::string> kFlags = {"public"};
  Args args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2);
      if (kFlags.count(name)) {
        args.options[name] = "";
        continue;
      }
      if (i + 1 >= argc) {
        error = "option " + a + " needs a value";
        return std::nullopt;
      }
      args.options[name] = argv[++i];
    } else if (args.command.empty()) {
      args.command = a;
    } else {
      args.positional.push_back(a);
    }
  }
  return args;
}

std::optional<std::int64_t> Args::Number(const std::string& name, std::int64_t fallback,
                                         std::int64_t min) const {
  auto it = options.find(name);
  if (it == options.end()) return fallback;
  const std::string& text = it->second;
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min) {
    return std::nullopt;
  }
  return value;
}

bool SplitHostPort(const std::string& text, std::string& host, int& port, bool allowZero) {
  std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = text.substr(0, colon);
  const char* b = text.data() + colon + 1;
  const char* e = text.data() + text.size();
  auto [end, ec] = std::from_chars(b, e, port);
  if (b == e || ec != std::errc() || end != e) return false;
  return port <= 65535 && (port > 0 || (port == 0 && allowZero));
}

}  // namespace sorami::site
