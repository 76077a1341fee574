// The command groups of sorami-cli. Each returns the exit status: 0 success, 1 the
// operation failed (its message printed), 2 usage error, 3 a send whose result is unknown or
// that reached some recipients only.
#pragma once

#include <string>
#include <vector>

#include "compose/ComposeCheck.h"
#include "shell/AppState.h"
#include "views/MessageList.h"

namespace sorami::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// The send went out whole and no answer came: it may have arrived; or it reached some
// recipients only. Its copy is filed either way.
inline constexpr int kExitUnknown = 3;

// master stats | resave | dump
int CliMaster(AppState& st, const std::vector<std::string>& args);
// list FOLDER [--sort COLUMN]...: the rows the message list shows, as JSON lines
int CliList(AppState& st, const std::vector<std::string>& args);
// show N: the message pane's header labels and body of record N, as JSON
int CliShow(AppState& st, const std::vector<std::string>& args);

// original N: the original bytes of record N's mail on stdout; 1 when it has none
int CliOriginal(AppState& st, const std::vector<std::string>& args);
// export FOLDER FILE.mbox: the folder's records as an mbox file
int CliExport(AppState& st, const std::vector<std::string>& args);
// import FILE.mbox: each mail filed in the inbox as received mail, then the store saved
int CliImport(AppState& st, const std::vector<std::string>& args);

// search [--or] KEYWORD...: the rows the message list shows for the search, as JSON lines
int CliSearch(AppState& st, const std::vector<std::string>& args);
// folders: the user folder list, as JSON lines
int CliFolders(AppState& st, const std::vector<std::string>& args);
// move N FOLDER: moves record N as the "フォルダ変更" menu does, then saves the store
int CliMove(AppState& st, const std::vector<std::string>& args);
// help TOPIC: the file the help pane finds for a topic and its plain text, as JSON
int CliHelp(AppState& st, const std::vector<std::string>& args);

// The message list's rows as JSON lines {"index": record, "cols": [10 texts]}.
void PrintListRows(const TArMastd& store, const MessageList& list);
// One such line for record rec of row `row`.
void AppendListRow(std::string& out, const TArMastData& rec, int32_t row);
// Reads the store for a command; prints the message when it cannot be read.
bool ReadStore(AppState& st);

// account add SITE NICK PASS: check the account and record it as enabled
int CliAccount(AppState& st, const std::vector<std::string>& args);
// check: the account test for the current account
int CliCheck(AppState& st, const std::vector<std::string>& args);
// fetch [--row N]: fetch new site messages, then save the store
int CliFetch(AppState& st, const std::vector<std::string>& args);

// send --to TEXT [--cc TEXT] [--bcc TEXT] --title TEXT (--body-file F | --body TEXT)
//   [--kankei NAME] [--shubetsu NAME] [--auto-kankei] [--attach FILE]... [--draft]:
// the compose window's send (or draft), then the store and the address list saved
int CliSend(AppState& st, const std::vector<std::string>& args);
// The compose window's send (or draft) on fields, with the store already read: its status texts
// printed, then the store and the address list saved.
int RunCompose(AppState& st, ComposeFields& fields, bool draft);
// addresses: the address list, as JSON lines {"name", "address", "relation"}
int CliAddresses(AppState& st, const std::vector<std::string>& args);

// read N: record N marked read as the list click does (with its receipt), then saved
int CliRead(AppState& st, const std::vector<std::string>& args);
// reply N [--all | --resend] [--send]: the compose fields a reply fills, as JSON; --send sends
int CliReply(AppState& st, const std::vector<std::string>& args);
// claim N [--kankei] [--shubetsu] [--comment TEXT]: the claim report of record N
int CliClaim(AppState& st, const std::vector<std::string>& args);

// A record or row number: digits only.
bool ParseIndex(const std::string& s, long& v);
// attachments N: the attachments record N lists, with their files, as JSON lines
int CliAttachments(AppState& st, const std::vector<std::string>& args);
// sites: the public site list, as the message pane shows it
int CliSites(AppState& st, const std::vector<std::string>& args);

// A message text from the command line (UTF-8) as code page 932; the characters it cannot
// hold (they become "〓") are added to lost, and PrintUnwritable names them on stderr.
std::string TextOption(std::string_view utf8, std::vector<std::string>& lost);
void PrintUnwritable(const std::vector<std::string>& lost);

// Prints code page 932 text as a UTF-8 line on stdout / stderr.
void PrintLine(std::string_view cp932);
void PrintError(std::string_view cp932);

}  // namespace sorami::cli
