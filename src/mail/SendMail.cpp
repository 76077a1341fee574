#include "mail/SendMail.h"

#include <fstream>

#include "base/DiagLog.h"
#include "base/MbText.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailLines.h"
#include "mail/smtp/TVexSMTP.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

// Half-width katakana widened: mail on the wire has no place for them.
std::string Widen(const std::string& sjis) { return HankakuToZenkakuSjis(sjis, 2); }

// The message of the mail; false with the result text when it cannot be made.
bool FillMessage(const OutgoingMail& mail, const SmtpConfig& config, const SendMailContext& ctx,
                 TVexMsg& msg, std::string& result) {
  msg.UserName = config.user;
  msg.From = Widen(mail.from_address);
  msg.JPName = Widen(mail.from_name);
  msg.CharSet = "ISO-2022-JP";
  msg.SendTo = OnlyMail(mail.to, &ctx.log);
  msg.CC = OnlyMail(mail.cc, &ctx.log);
  msg.ReplyTo = OnlyMail(mail.reply_to, &ctx.log);
  msg.BCC = OnlyMail(mail.bcc, &ctx.log);
  msg.Subject = Widen(mail.title);
  msg.Priority = TPriority::prNormal;
  msg.Text = SplitLines(Widen(mail.body));
  // The attachments are exactly the files of this send.
  msg.Attachments.Clear();
  for (const std::string& path : mail.attachments) {
    if (!PathExists(FsPath(path))) {
      result = "添付ファイルがありません: "_cp932 + path;
      return false;
    }
    msg.Attachments.Add(path);
  }
  if (msg.SendTo.empty()) {
    result = "宛先未指定"_cp932;
    return false;
  }
  return true;
}

}  // namespace

void UpdateJuushoInfo(const std::string& to, DiagLog& log) { log.Log(".UpdateJuushoInfo : " + to); }

bool SaveSoushinLog(const std::filesystem::path& data_dir, std::time_t when,
                    const std::string& send_to, const std::string& title, const std::string& from,
                    DiagLog& log, std::string& result) {
  log.Log(".SaveSoushinLog");
  const std::filesystem::path path = data_dir / "Send.log";
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  const std::string line = FormatLocalTime(when, "%Y/%m/%d %H:%M:%S") + "\t" + send_to + "\t" +
                           title + "\t" + from + "\r\n";
  if (out) out.write(line.data(), static_cast<std::streamsize>(line.size()));
  if (out) out.close();
  if (!out) {
    result = "Cannot Write: " + PathText(path);
    return false;
  }
  return true;
}

bool SendMail(const OutgoingMail& mail, const SmtpConfig& config, const SendMailContext& ctx,
              std::string& result, std::vector<std::string>* refused) {
  DiagLog& log = ctx.log;
  result.clear();
  log.Log(".SendMail");
  if (config.host.empty() || mail.from_address.empty()) {
    result = "メール送信ホスト(SMTP)未設定"_cp932;
    return false;
  }
  if (mail.to.empty()) result = "宛先未指定"_cp932;
  if (mail.title.empty()) result = "表題未指定"_cp932;
  if (!result.empty()) return false;
  // Every piece of a recipient text is a recipient: one that is no mail address stops the
  // send before anything goes out, instead of the rest going without it.
  for (const std::string* text : {&mail.to, &mail.cc, &mail.bcc, &mail.reply_to}) {
    const std::string bad = FirstBadAddress(*text);
    if (!bad.empty()) {
      result = "宛先エラー : "_cp932 + bad;
      log.Log(result);
      return false;
    }
  }

  const std::string running = "メール送信実行中.... "_cp932;
  if (ctx.show_status) ctx.show_status(running);
  log.Log(running);

  TVexMsg msg;
  if (!FillMessage(mail, config, ctx, msg, result)) {
    log.Log(result);
    return false;
  }
  log.Log("VexMsg SetOK");

  std::string error;
  std::unique_ptr<LineSocket> socket = ctx.open_socket(config, error);
  if (!socket) {
    result = "SMTP1.Connect Error : " + error;
    log.Log(result);
    return false;
  }
  TVexSMTP smtp(*socket, ctx.events);
  SmtpServer server;
  server.host = config.host;
  server.port = config.port;
  server.plan = PlanConnection(config.security, config.port);
  server.user = config.user;
  server.password = config.password;
  server.local_name = ctx.local_host;
  log.Log("SMTP ホスト設定OK"_cp932);
  log.Log("JObStart(JOB_SMTP)");
  if (!smtp.Connect(server)) {
    // A refusal by the server, or no connection at all (time-out, certificate, name).
    result = (smtp.connected() || !smtp.ReplyCode().empty() ? "送信エラー : "_cp932
                                                            : "SMTP1.Connect Error : ") +
             smtp.failure();
    log.Log(result);
    return false;
  }
  log.Log("VexSMTP Connect OK");

  if (!smtp.SendMessage(msg)) {
    result = "送信エラー : "_cp932 + smtp.failure();
    log.Log("ERROR: VexSMTP1");
    log.Log(result);
    smtp.Quit();
    return false;
  }
  result = "送信完了 => "_cp932 + mail.to + " ";
  std::string delivered;
  for (const std::string& a : smtp.accepted()) delivered += (delivered.empty() ? "" : ",") + a;
  if (!smtp.refused().empty()) {
    // Some went, some did not: each refused recipient named with the server's reply.
    result = "一部送信失敗 : 届かなかった宛先"_cp932;
    for (const SmtpRefusal& r : smtp.refused()) {
      result += " <" + r.address + "> " + r.reply;
      if (refused) refused->push_back(r.address);
    }
    result += " / "_cp932 + "届いた宛先 "_cp932 + delivered;
  }
  log.Log(result);
  UpdateJuushoInfo(mail.to, log);
  smtp.Quit();  // the mail is taken; a wrong goodbye does not undo that
  log.Log(smtp.ReplyText());
  // The log names the To addresses, or when some were refused, every address the mail reached.
  SaveSoushinLog(ctx.data_dir, ctx.clock ? ctx.clock() : std::time(nullptr),
                 smtp.refused().empty() ? msg.SendTo : delivered, mail.title, msg.From, log,
                 result);
  log.Log("soushin:" + result);
  log.Log("送信完了"_cp932);
  return true;
}

}  // namespace sorami
