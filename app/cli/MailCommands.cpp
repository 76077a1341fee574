#include "cli/MailCommands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "mail/MakeNewMail.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/MailDate.h"
#include "mail/mime/ReceivedMail.h"
#include "platform/Codepage.h"
#include "platform/Digest.h"
#include "shell/MailReceive.h"
#include "shell/MailSend.h"
#include "store/AttachNames.h"

namespace sorami::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;
constexpr int kSomeRefused = 3;  // the mail went, but not to every recipient

bool ReadAll(const std::string& path, std::string& out) {
  if (path == "-") {
    out.assign(std::istreambuf_iterator<char>(std::cin), {});
    return !std::cin.bad();
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

void WriteAll(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::string Field(const char* name, std::string_view cp932) {
  return std::string("\"") + name + "\":" + JsonText(cp932);
}

int MimeParse(const std::string& path) {
  std::string raw;
  if (!ReadAll(path, raw)) {
    std::fprintf(stderr, "sorami-cli: cannot read %s\n", path.c_str());
    return kFailed;
  }
  TVexPOP parser;
  TVexMsg msg;
  ReadRetrievedMail(parser, msg, std::move(raw), nullptr);
  // A mail read only in part fails; what was read is still shown.
  int status = kOk;
  if (!msg.Damage.empty()) {
    std::fprintf(stderr, "sorami-cli: %s could not be read completely\n", path.c_str());
    for (const std::string& damage : msg.Damage) std::fprintf(stderr, "  %s\n", damage.c_str());
    status = kFailed;
  }
  // A missing or unreadable date is stored as the time of receipt.
  const MailDateTime date = msg.DateValue < 10000 ? MailDateTimeNow() : msg.DateValue;

  std::string out = "{";
  out += Field("subject", msg.Subject) + ",";
  out += Field("from", msg.From) + ",";
  out += Field("sender", msg.Sender) + ",";
  out += Field("to", msg.SendTo) + ",";
  out += Field("cc", msg.CC) + ",";
  out += Field("reply_to", msg.ReplyTo) + ",";
  out += Field("date_text", msg.DateText) + ",";
  out += Field("date", FormatMailDateTime(date)) + ",";
  out += Field("message_id", msg.MessageId) + ",";
  out += Field("content_type", msg.ContentType) + ",";
  out += Field("encoding", msg.Encoding) + ",";
  out += Field("body", msg.BodyText()) + ",";
  out += "\"attachments\":[";
  bool first = true;
  for (const TAttachedFile& a : msg.Attachments) {
    if (!IsSavedAttachment(a)) continue;  // HTML is not saved as a file
    if (!first) out += ",";
    first = false;
    // The name the attachment directory gets, before it is made unique there.
    out += "{" + Field("name", SafeAttachmentName(a.Name)) +
           ",\"size\":" + std::to_string(a.Data.size()) + "," + Field("sha256", Sha256Hex(a.Data)) +
           "," + Field("content_type", a.ContentType) + "}";
  }
  out += "]}\n";
  WriteAll(out);
  return status;
}

// Shows the receive's status label as it changes, one line each.
class PrintedLabel : public JushinEvents {
 public:
  void Label(const std::string& text) override { PrintLine(text); }
};

// mail receive / mail log: a receive with the stored mail settings; "log" prints the lines of
// the account log as they are written instead of the status label.
int MailReceive(AppState& st, bool account_log) {
  std::string msg;
  if (!ReadMaster(st.master, st.store, msg) && st.master.unread_file_on_disk) {
    PrintError(msg);  // never receive into a store whose file could not be read
    return kFailed;
  }
  PrintedLabel label;
  if (account_log) st.aclog.on_append = [](const std::string& line) { PrintLine(line); };
  const MailReceiveReport out = ReceiveStoredMail(st, account_log ? nullptr : &label);
  if (!account_log) {
    if (!out.status.empty()) PrintError(out.status);
    PrintLine(out.bar);
    WriteAll("{\"stored\": " + std::to_string(out.stored) +
             ", \"deleted\": " + std::to_string(out.deleted) + "}\n");
  }
  return out.ok ? kOk : kFailed;
}

}  // namespace

int CliMime(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0] != "parse") {
    std::fputs("usage: sorami-cli mime parse FILE   (FILE - reads stdin)\n", stderr);
    return kUsageError;
  }
  return MimeParse(args[1]);
}

int CliKanji(const std::vector<std::string>& args) {
  auto usage = [] {
    std::fputs(
        "usage: sorami-cli kanji detect | to-jis | to-sjis | to-euc [--from CODE] | widen [MODE]\n"
        "  reads stdin, writes stdout; codes: 2 JIS, 3 old JIS, 4 EUC-JP, 5 Shift_JIS;\n"
        "  widen modes: 1 ASCII, 2 half-width katakana, 0 both (default)\n",
        stderr);
    return kUsageError;
  };
  if (args.empty()) return usage();
  const std::string& op = args[0];
  int target = 0;
  if (op == "to-jis") target = kCodeJis;
  if (op == "to-sjis") target = kCodeSjis;
  if (op == "to-euc") target = kCodeEuc;
  if (op != "detect" && op != "widen" && target == 0) return usage();

  int from = -1, mode = 0;
  if (target != 0 && args.size() == 3 && args[1] == "--from") {
    try {
      from = std::stoi(args[2]);
    } catch (const std::exception&) {
      return usage();
    }
  } else if (op == "widen" && args.size() == 2) {
    if (args[1] != "0" && args[1] != "1" && args[1] != "2") return usage();
    mode = args[1][0] - '0';
  } else if (args.size() != 1) {
    return usage();
  }

  std::string in;
  if (!ReadAll("-", in)) {
    std::fputs("sorami-cli: cannot read stdin\n", stderr);
    return kFailed;
  }
  if (op == "detect") {
    WriteAll(std::to_string(DetectKanjiCode(in)) + "\n");
  } else if (op == "widen") {
    WriteAll(HankakuToZenkakuSjis(in, mode));
  } else {
    WriteAll(from < 0 ? ConvertKanji(in, target) : ConvertKanjiFrom(in, from, target));
  }
  return kOk;
}

}  // namespace sorami::cli

namespace sorami::cli {

namespace {

// The options of "mail send", as code page 932 values.
bool ParseSend(const std::vector<std::string>& args, OutgoingMail& mail,
               std::vector<std::string>& lost) {
  bool have_title = false, have_body = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (i + 1 >= args.size()) return false;
    const std::string& value = args[++i];
    if (opt == "--to") {
      mail.to = TextOption(value, lost);
    } else if (opt == "--cc") {
      mail.cc = TextOption(value, lost);
    } else if (opt == "--bcc") {
      mail.bcc = TextOption(value, lost);
    } else if (opt == "--reply-to") {
      mail.reply_to = Utf8ToCp932(value);
    } else if (opt == "--title") {
      mail.title = TextOption(value, lost);
      have_title = true;
    } else if (opt == "--body" || opt == "--body-file") {
      if (have_body) return false;
      have_body = true;
      std::string text = value;
      if (opt == "--body-file" && !ReadAll(value, text)) {
        std::fprintf(stderr, "sorami-cli: cannot read %s\n", value.c_str());
        return false;
      }
      mail.body = TextOption(text, lost);
    } else if (opt == "--attach") {
      mail.attachments.push_back(PathText(std::filesystem::absolute(value)));
    } else {
      return false;
    }
  }
  return !mail.to.empty() && have_title && have_body;
}

}  // namespace

int CliMail(AppState& st, const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0] == "receive") return MailReceive(st, false);
  if (args.size() == 1 && args[0] == "log") return MailReceive(st, true);
  if (args.empty() || args[0] != "send") return kUsageError;
  OutgoingMail mail;
  std::vector<std::string> lost;
  if (!ParseSend(args, mail, lost)) return kUsageError;
  PrintUnwritable(lost);
  std::string result;
  std::vector<std::string> refused;
  const bool ok = SendMailWithSettings(st, std::move(mail), nullptr, result, &refused);
  (ok && refused.empty() ? PrintLine : PrintError)(result);
  return !ok ? kFailed : refused.empty() ? kOk : kSomeRefused;
}

}  // namespace sorami::cli
