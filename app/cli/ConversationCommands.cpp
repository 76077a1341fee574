// sorami-cli read / reply / claim: reading a message (its receipt goes out), the compose fields
// of a reply or resend, and the claim report. Texts on the command line are UTF-8.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "platform/Codepage.h"
#include "shell/Conversation.h"
#include "store/MasterFile.h"
#include "store/StoreOps.h"

namespace sorami::cli {

namespace {

// The store read for a change, and record N of it; false (message printed) otherwise.
bool Record(AppState& st, const std::string& arg, int32_t& row) {
  long n = 0;
  if (!ParseIndex(arg, n)) return false;
  if (!ReadStore(st)) return false;
  if (n >= st.store.CtMaster()) {
    PrintError("エラー:"_cp932 + arg);
    return false;
  }
  row = static_cast<int32_t>(n);
  return true;
}

bool Save(AppState& st) {
  std::string msg;
  if (SaveMaster(st.master, st.store, msg)) return true;
  PrintError(msg);
  return false;
}

int Read(AppState& st, const std::vector<std::string>& args) {
  int32_t row = 0;
  if (args.size() != 1) return kExitUsage;
  if (!Record(st, args[0], row)) return kExitFailed;
  std::string receipt;
  const bool marked = SetKakuninbi(st.store, st.log, row, NowText(), [&](int32_t r) {
    receipt = SendReadReceipt(st, r);
    return receipt;
  });
  PrintLine(marked ? "既読 : "_cp932 + std::string(st.store.Get(row, MastCol::kReadDate))
                   : "既読済み"_cp932);
  if (!receipt.empty()) PrintLine(receipt);
  return Save(st) ? kExitOk : kExitFailed;
}

int Reply(AppState& st, const std::vector<std::string>& args) {
  if (args.empty()) return kExitUsage;
  ReplyKind kind = ReplyKind::kSender;
  bool send = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--all") {
      kind = ReplyKind::kAll;
    } else if (args[i] == "--resend") {
      kind = ReplyKind::kResend;
    } else if (args[i] == "--send") {
      send = true;
    } else {
      return kExitUsage;
    }
  }
  int32_t row = 0;
  if (!Record(st, args[0], row)) return kExitFailed;
  ComposeFields f;
  f.kankei = "知人"_cp932;
  f.shubetsu = "一般連絡"_cp932;
  ReplyCompose(st, row, kind, f);
  std::printf("{\"to\":%s,\"cc\":%s,\"bcc\":%s,\"title\":%s,\"kankei\":%s,\"body\":%s}\n",
              JsonText(f.to).c_str(), JsonText(f.cc).c_str(), JsonText(f.bcc).c_str(),
              JsonText(f.title).c_str(), JsonText(f.kankei).c_str(), JsonText(f.body).c_str());
  return send ? RunCompose(st, f, false) : kExitOk;
}

int Claim(AppState& st, const std::vector<std::string>& args) {
  if (args.empty()) return kExitUsage;
  ClaimChoice c;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--kankei") {
      c.kankei = true;
    } else if (args[i] == "--shubetsu") {
      c.shubetsu = true;
    } else if (args[i] == "--comment" && i + 1 < args.size()) {
      c.comment = Utf8ToCp932(args[++i]);
    } else {
      return kExitUsage;
    }
  }
  int32_t row = 0;
  if (!Record(st, args[0], row)) return kExitFailed;
  if (!c.kankei && !c.shubetsu) {
    PrintError("不正指定　未チェック"_cp932);
    return kExitFailed;
  }
  const ClaimResult r = ReportClaim(st, row, c);
  (r.ok ? PrintLine : PrintError)(r.msg);
  return r.ok ? kExitOk : kExitFailed;
}

}  // namespace

int CliRead(AppState& st, const std::vector<std::string>& args) { return Read(st, args); }
int CliReply(AppState& st, const std::vector<std::string>& args) { return Reply(st, args); }
int CliClaim(AppState& st, const std::vector<std::string>& args) { return Claim(st, args); }

}  // namespace sorami::cli
