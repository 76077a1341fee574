// The claim report: a received message whose relation or category the user holds to be false,
// reported with "CLAIM" to the directory server's "WbClaim.exe?".
#pragma once

#include <string>
#include <vector>

#include "site/SiteSession.h"
#include "store/MastStore.h"

namespace sorami {

struct ClaimChoice {
  bool kankei = false;    // CkKankei: the relation is false
  bool shubetsu = false;  // CkShubetsu: the category is false
  std::string comment;    // MemoComment
};

// The 13 fields of the report, in the service's order, from record row as stored.
std::vector<std::string> ClaimFields(const TArMastd& store, int32_t row, const ClaimChoice& c);

// Posts the report to the directory server: "報告完了" when the answer begins with "OK(PGM)";
// "報告エラー" when the server cannot be reached; "報告失敗 : " and the answer's first line when
// it refused the report.
bool ClaimReport(SiteSession& ss, const std::vector<std::string>& fields, std::string& msg);

// Reports record row with the user's choice: whether the directory server accepted it, and the
// result text ("エラー:" and the row when it is no record).
struct ClaimResult {
  bool ok = false;
  std::string msg;
};
ClaimResult ReportClaimOf(SiteSession& ss, const TArMastd& store, int32_t row,
                          const ClaimChoice& choice);

}  // namespace sorami
