#include "compose/SendFields.h"

#include "base/MbText.h"
#include "platform/Codepage.h"

namespace sorami {

void SetStrList(DiagLog& log, const OutRecord& r, std::string_view command, std::string_view tolist,
                std::string_view password, std::vector<std::string>& fields) {
  log.Log(".SetStrList : " + std::string(command) + " " + std::string(tolist));
  auto add = [&fields](std::string_view name, std::string_view value) {
    fields.push_back(std::string(name) + "=" + std::string(value));
  };
  auto col = [&r](MastCol c) -> const std::string& { return r[ColIndex(c)]; };
  add("COMMAND", command);
  add("TOLIST", tolist);
  add("TOHOST", "");
  add("TOUSER", "");
  add("TOSITE", "");
  add("CC", col(MastCol::kCc));
  add("BCC", col(MastCol::kBcc));
  add("REPLYTO", col(MastCol::kReplyTo));
  add("TONAME", col(MastCol::kTo));
  add("FROMSITE", col(MastCol::kSenderSite));
  add("FROMNAME", col(MastCol::kSender));
  add("FROMDATE", col(MastCol::kSendDate));
  add("TITLE", col(MastCol::kTitle));
  add("HONBUN", col(MastCol::kBody));
  add("KANKEI", col(MastCol::kRelation));
  add("SHUBETSU", col(MastCol::kCategory));
  add("USERPASS", password);
}

bool SaveSoushinList(DiagLog& log, std::vector<AddressEntry>& entries, bool site_flag,
                     std::string to, std::string relation) {
  log.Log(".SaveSoushinList");
  ReplaceAll("％"_cp932, "%", to);
  ReplaceAll("、"_cp932, ",", to);
  if (!site_flag) relation.clear();
  for (const AddressEntry& e : entries) {
    if (e.address == to) return false;
  }
  entries.push_back({to, relation, "(noname)"});
  return true;
}

}  // namespace sorami
