// The command line of sorami-site-server: a command word, positional arguments and
// "--name value" options (a few options are flags without a value).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sorami::site {

struct Args {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // without the leading "--"

  std::string Option(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? std::string() : it->second;
  }
  bool Flag(const std::string& name) const { return options.count(name) != 0; }
  // A whole-number option of at least `min`: the fallback when it is absent, nullopt when its
  // value is not such a number.
  std::optional<std::int64_t> Number(const std::string& name, std::int64_t fallback,
                                     std::int64_t min = 0) const;
};

// nullopt (with a message) when an option that needs a value has none.
std::optional<Args> ParseArgs(int argc, char** argv, std::string& error);

// "host:port" with a non-empty host and a port of 0 to 65535 (0 only when allowZero).
bool SplitHostPort(const std::string& text, std::string& host, int& port, bool allowZero);

}  // namespace sorami::site
