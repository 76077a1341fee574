// sorami-cli commands of the mail library: "mime parse FILE" and the "kanji" byte filters.
// Each takes the arguments after its command word and returns the exit status: 0 success,
// 1 failure (message on stderr), 2 usage error.
#pragma once

#include <string>
#include <vector>

namespace sorami::cli {

// mime parse FILE: the message as the POP3 receive reads it, as one JSON object.
int CliMime(const std::vector<std::string>& args);
// kanji detect | to-jis | to-sjis | to-euc [--from CODE] | widen [MODE]: stdin to stdout.
int CliKanji(const std::vector<std::string>& args);

}  // namespace sorami::cli
