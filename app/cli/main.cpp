// sorami-cli: the headless front end of ソラミメッセージ on the same core as the windows.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AppInfo.h"
#include "cli/Commands.h"
#include "cli/MailCommands.h"
#include "platform/Codepage.h"
#include "platform/DataLock.h"
#include "platform/QtServices.h"
#include "settings/Settei.h"
#include "shell/Startup.h"
#include "shell/TenpuFetch.h"

namespace sorami::cli {

void PrintLine(std::string_view cp932) { std::puts(Cp932ToUtf8(cp932).c_str()); }
void PrintError(std::string_view cp932) {
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(cp932).c_str());
}

namespace {

constexpr const char* kUsage =
    "usage: sorami-cli [--appdir DIR] [--config DIR] COMMAND ...\n"
    "commands:\n"
    "  master stats     read the message store and print its counts as JSON\n"
    "  master resave    read the message store and save it again\n"
    "  master dump      print every record as one JSON line\n"
    "  list FOLDER [--sort COLUMN]...\n"
    "                   the rows the message list shows for a tree node (text or index),\n"
    "                   after clicking each column (caption or number) in turn\n"
    "  show N           the message pane's labels and body of record N (a mail kept as its\n"
    "                   server sent it: its own text, every character)\n"
    "  search [--or] KEYWORD...\n"
    "                   the records holding every keyword (or any), as list rows\n"
    "  folders          the user folders, one JSON line each\n"
    "  move N FOLDER    move record N to a folder of the \"フォルダ変更\" menu, then save\n"
    "  help TOPIC       the help file of a topic (as the help pane finds it) and its text\n"
    "  account add SITE NICK PASS\n"
    "                   check an account on the site service and record it as enabled\n"
    "  check            check the current account\n"
    "  fetch [--row N]  fetch new site messages (all enabled accounts, or row N) with their\n"
    "                   attachments, then save\n"
    "  attachments N [--download]\n"
    "                   the attachments record N lists, with their files, as JSON lines;\n"
    "                   --download first fetches its missing files again\n"
    "  sites            the public site list of the current account's host\n"
    "  send --to TEXT [--cc TEXT] [--bcc TEXT] --title TEXT (--body-file F | --body TEXT)\n"
    "       [--kankei NAME] [--shubetsu NAME] [--auto-kankei] [--attach FILE]... [--draft]\n"
    "                   send a message as the compose window does (or store a draft)\n"
    "  addresses        the address list, one JSON line per entry\n"
    "  read N           mark record N read as the message list does (its receipt goes out)\n"
    "  reply N [--all | --resend] [--send]\n"
    "                   the compose fields of a reply (or resend) as JSON; --send sends them\n"
    "  claim N [--kankei] [--shubetsu] [--comment TEXT]\n"
    "                   report record N's relation or category as false\n"
    "  original N       the bytes of record N's mail as its server sent them\n"
    "  export FOLDER FILE.mbox\n"
    "                   write a folder's messages to an mbox file (mail from its originals)\n"
    "  import FILE.mbox file each mail of an mbox file in the inbox as received mail, then save\n"
    "  mail receive     receive Internet mail with the stored mail settings, then save\n"
    "  mail log         the same receive, printing the account log's lines as they come\n"
    "  mime parse FILE  read a mail as the receive does and print it as JSON\n"
    "  kanji detect|to-jis|to-sjis|to-euc|widen   Japanese code filter, stdin to stdout\n"
    "  mail send --to TEXT [--cc TEXT] [--bcc TEXT] [--reply-to ADDR] --title TEXT\n"
    "            (--body-file F | --body TEXT) [--attach FILE]...\n"
    "                   send a mail by SMTP with the stored mail settings\n";

// The commands, then the options.
void PrintUsage(FILE* to) {
  std::fputs(kUsage, to);
  std::fputs(app::kOptionsHelp, to);
}

// A local command works on the files alone: it needs neither the network nor the passwords
// (it never saves the settings), so it starts without the HTTP client and the keyring, and
// without loading the Qt services at all.
enum class Reach { kLocal, kOnline };

struct Command {
  const char* name;
  int (*run)(AppState&, const std::vector<std::string>&);
  Reach reach;
};

int Mime(AppState&, const std::vector<std::string>& a) { return CliMime(a); }
int Kanji(AppState&, const std::vector<std::string>& a) { return CliKanji(a); }

constexpr Reach kLocal = Reach::kLocal;
constexpr Reach kOnline = Reach::kOnline;
constexpr Command kCommands[] = {
    {"master", CliMaster, kLocal},
    {"original", CliOriginal, kLocal},
    {"export", CliExport, kLocal},
    {"import", CliImport, kLocal},
    {"list", CliList, kLocal},
    {"show", CliShow, kLocal},
    {"search", CliSearch, kLocal},
    {"folders", CliFolders, kLocal},
    {"move", CliMove, kLocal},
    {"help", CliHelp, kLocal},
    {"account", CliAccount, kOnline},
    {"check", CliCheck, kOnline},
    {"fetch", CliFetch, kOnline},
    {"send", CliSend, kOnline},
    {"addresses", CliAddresses, kOnline},
    {"read", CliRead, kOnline},
    {"reply", CliReply, kOnline},
    {"claim", CliClaim, kOnline},
    {"attachments", CliAttachments, kOnline},
    {"sites", CliSites, kOnline},
    {"mail", CliMail, kOnline},
    {"mime", Mime, kLocal},
    {"kanji", Kanji, kLocal},
};

// Whether a command line changes files of the data directory.
bool Writes(const std::vector<std::string>& args) {
  static constexpr const char* kReaders[] = {"list",        "show",      "search",   "folders",
                                             "help",        "sites",     "mime",     "kanji",
                                             "attachments", "addresses", "original", "export"};
  if (args[0] == "attachments") return args.size() > 2 && args[2] == "--download";
  for (const char* r : kReaders) {
    if (args[0] == r) return false;
  }
  if (args[0] == "master") return args.size() > 1 && args[1] == "resave";
  return true;
}

// How long a writer waits for another one to finish.
constexpr int kLockWaitMs = 3000;

}  // namespace

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommonOptions options;
  std::string error;
  if (!TakeCommonOptions(args, options, error)) {
    std::fprintf(stderr, "sorami-cli: %s\n", error.c_str());
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (args.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    app::PrintVersion("sorami-cli");
    PrintUsage(stdout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    app::PrintVersion("sorami-cli");
    return kExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[0] != c.name) continue;
    auto st = c.reach == kLocal ? MakeLocalAppState(options) : MakeAppState(options);
    // One writer per data directory: a second one waits a little, then stops; readers go on.
    std::unique_ptr<DataLock> lock;
    if (Writes(args)) {
      lock = LockDataDir(st->paths.DataDir(), kLockWaitMs);
      if (!lock) {
        PrintError(
            "データフォルダは他のプログラムが更新中です。終わってからやり直してください : "_cp932 +
            PathText(st->paths.DataDir()));
        return kExitFailed;
      }
    }
    if (lock) RemoveLeftoverFiles(st->paths);  // what a killed writer left
    st->log.Attach();
    LoadSettei(st->settei, st->SetteiPlace());
    const int rc = c.run(*st, std::vector<std::string>(args.begin() + 1, args.end()));
    if (rc == kExitUsage) PrintUsage(stderr);
    return rc;
  }
  std::fprintf(stderr, "sorami-cli: unknown command %s\n", args[0].c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace sorami::cli

int main(int argc, char** argv) {
  const int rc = sorami::cli::Main(argc, argv);
  sorami::ReleaseQtServices();  // after every service object of the run is gone
  return rc;
}
