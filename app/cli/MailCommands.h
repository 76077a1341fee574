// sorami-cli commands of Internet mail: "mail receive", "mail log", "mail send", "mime parse
// FILE" and the "kanji" byte filters.
// Each takes the arguments after its command word and returns the exit status: 0 success,
// 1 failure (message on stderr), 2 usage error.
#pragma once

#include <string>
#include <vector>

#include "shell/AppState.h"

namespace sorami::cli {

// mail receive: a receive with the stored mail settings; prints the status label as it
// changes, the status line and {"stored": n, "deleted": n}.
// mail log: the same receive, printing the account log's lines as they are written.
int CliMail(AppState& st, const std::vector<std::string>& args);

// mime parse FILE: the message as the POP3 receive reads it, as one JSON object.
int CliMime(const std::vector<std::string>& args);
// kanji detect | to-jis | to-sjis | to-euc [--from CODE] | widen [MODE]: stdin to stdout.
int CliKanji(const std::vector<std::string>& args);

// mail send --to TEXT [--cc TEXT] [--bcc TEXT] [--reply-to ADDR] --title TEXT
//           (--body-file F | --body TEXT) [--attach FILE]...: sends a mail directly by SMTP
// with the stored mail settings; prints the result text.
int CliMail(AppState& st, const std::vector<std::string>& args);

}  // namespace sorami::cli
