#include "site/Claim.h"

#include "platform/Codepage.h"
#include "site/SendHttp.h"
#include "site/SiteWire.h"

namespace sorami {

std::vector<std::string> ClaimFields(const TArMastd& store, int32_t row, const ClaimChoice& c) {
  auto col = [&](MastCol k) { return std::string(store.Get(row, k)); };
  const std::string claim =
      (c.kankei ? "関係不正"_cp932 : "") + "\t" + (c.shubetsu ? "種別不正"_cp932 : "");
  return {"COMMAND=CLAIM",
          "TOLIST=" + col(MastCol::kToList),
          "TOUSER=" + col(MastCol::kRecipientUser),
          "TONAME=" + col(MastCol::kTo),
          "FROMSITE=" + col(MastCol::kSenderSite),
          "FROMNAME=" + col(MastCol::kSender),
          "FROMDATE=" + col(MastCol::kSendDate),
          "TITLE=" + col(MastCol::kTitle),
          "HONBUN=" + col(MastCol::kBody),
          "KANKEI=" + col(MastCol::kRelation),
          "SHUBETSU=" + col(MastCol::kCategory),
          "CLAIM=" + claim,
          "COMMENT=" + c.comment};
}

bool ClaimReport(SiteSession& ss, const std::vector<std::string>& fields, std::string& msg) {
  ss.log.Log("ClaimReport");
  HttpRequest req;
  req.url = "http://" + ss.directory_host + "/bn/WbClaim.exe?";
  ss.log.Log("url:" + req.url);
  for (const std::string& f : fields) ss.log.Log(FieldForLog(f));
  const ProgressShown progress(ss, true);
  req.content_type = "application/x-www-form-urlencoded";
  req.body = UrlEncodedBody(fields);
  const HttpResponse resp = ss.http ? ss.http->Send(req) : HttpResponse{};
  if (TransportOutcome(resp) != SiteOutcome::kOk) {
    msg = "報告エラー"_cp932;
    ss.log.Log(msg + (resp.error.empty() ? "" : " (" + resp.error + ")"));
    return false;
  }
  ss.log.Log(resp.body);
  if (resp.body.rfind(kOkPgm, 0) == 0) {
    msg = "報告完了"_cp932;
    return true;
  }
  msg = "報告失敗 : "_cp932 + resp.body.substr(0, resp.body.find("\r\n"));
  return false;
}

ClaimResult ReportClaimOf(SiteSession& ss, const TArMastd& store, int32_t row,
                          const ClaimChoice& choice) {
  ss.log.Log("nm:" + std::to_string(row));
  ClaimResult out;
  if (row < 0 || row >= store.CtMaster()) {
    out.msg = "エラー:"_cp932 + std::to_string(row);
    return out;
  }
  out.ok = ClaimReport(ss, ClaimFields(store, row, choice), out.msg);
  return out;
}

}  // namespace sorami
