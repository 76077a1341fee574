#include "compose/Addresses.h"

#include "base/MbText.h"
#include "mail/mime/MailAddress.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

// The site-address forms of separators: "％" is "%", "、" and " " are ",".
void NormalizeSiteText(std::string& text) {
  ReplaceAll("％"_cp932, "%", text);
  ReplaceAll("、"_cp932, ",", text);
  ReplaceAll(" ", ",", text);
}

}  // namespace

const std::array<CodeName, 6>& RelationTable() {
  static const std::array<CodeName, 6> table = {{{"0", "本人"_cp932},
                                                 {"1", "家族"_cp932},
                                                 {"2", "知人"_cp932},
                                                 {"3", "ネット上の知り合い"_cp932},
                                                 {"4", "取引先(法人)"_cp932},
                                                 {"9", "面識無し"_cp932}}};
  return table;
}

const std::array<CodeName, 7>& CategoryTable() {
  static const std::array<CodeName, 7> table = {{{"A", "挨拶"_cp932},
                                                 {"B", "一般連絡"_cp932},
                                                 {"C", "緊急連絡"_cp932},
                                                 {"J", "確認事項"_cp932},
                                                 {"K", "問合せ"_cp932},
                                                 {"L", "案内・広告"_cp932},
                                                 {"X", "その他"_cp932}}};
  return table;
}

void JoinPiece(std::string& list, std::string_view piece) {
  if (!list.empty()) list += ',';
  list += piece;
}

bool AtesakiBunri(DiagLog& log, std::string_view text, std::string& site_list,
                  std::vector<std::string>& mails, bool& mail_flag, bool& site_flag,
                  std::string* bad) {
  log.Log(".AtesakiBunri:" + std::string(text));
  std::string t(text);
  ReplaceAll("、"_cp932, ",", t);
  site_list.clear();
  bool ok = true;
  auto mail = [&](std::string_view address) {
    if (IsMailboxAddress(address)) {
      mails.emplace_back(address);
      mail_flag = true;
      return;
    }
    log.Log("AtesakiBunri: no mail address: " + std::string(address));
    if (bad && bad->empty()) *bad = std::string(address);
    ok = false;
  };
  std::string_view items = t, item;
  while (!items.empty()) {
    SplitToken(",", items, item);
    const size_t lt = MbFind("<", item);
    const size_t gt = lt == std::string_view::npos ? lt : MbFind(">", item.substr(lt));
    if (gt != std::string_view::npos) {
      mail(TrimBytes(item.substr(lt + 1, gt - 1)));
      continue;
    }
    std::string pieces(item);
    ReplaceAll("　"_cp932, " ", pieces);
    std::string_view rest = pieces, piece;
    while (!rest.empty()) {
      SplitToken(" ", rest, piece);
      if (piece.empty()) continue;
      if (MbPos("@", piece) > 0) {
        mail(piece);
      } else {
        JoinPiece(site_list, piece);
        site_flag = true;
      }
    }
  }
  return ok;
}

std::vector<KankeiPair> SetKankeiList(DiagLog& log, const std::vector<AddressEntry>& entries) {
  log.Log(".SetKankeiList");
  std::vector<KankeiPair> pairs;
  for (const AddressEntry& e : entries) {
    std::string address = e.address;
    NormalizeSiteText(address);
    std::string_view rest = address;
    std::string_view piece;
    while (!rest.empty()) {
      if (pairs.size() == kMaxKankeiPairs) {
        // The table is full: the rest of the address list is not looked at.
        log.Log("SetKankeiList: " + std::to_string(kMaxKankeiPairs) + " pairs, the rest ignored");
        return pairs;
      }
      SplitToken(",", rest, piece);
      pairs.push_back({std::string(piece), e.relation});
    }
  }
  return pairs;
}

int SearchKankei(DiagLog& log, std::string_view name) {
  log.Log(".SearchKankei: " + std::string(name));
  const auto& table = RelationTable();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) {
      log.Log(" => " + std::to_string(i));
      return static_cast<int>(i);
    }
  }
  return -1;
}

void SetAutoKankei(DiagLog& log, bool automatic, const std::vector<KankeiPair>& pairs,
                   std::string_view own_site, std::string& text) {
  log.Log(".SetAutoKankei :" + text);
  std::string t = text;
  NormalizeSiteText(t);
  std::string result;
  std::string_view rest = t;
  std::string_view piece;
  while (!rest.empty()) {
    SplitToken(",", rest, piece);
    // An empty piece names nobody: it would become "%site", a recipient without a nickname.
    if (piece.empty()) continue;
    std::string address(piece);
    if (MbPos("%", piece) == 0) address += "%" + std::string(own_site);
    if (automatic && MbPos("/", piece) == 0) {
      int relation = 9;
      for (const KankeiPair& p : pairs) {
        if (p.piece == piece) {
          relation = SearchKankei(log, p.relation);
          break;
        }
      }
      address += "/" + std::to_string(relation);
    }
    JoinPiece(result, address);
  }
  text = result;
  log.Log(text);
}

void KankeiJidouSettei(DiagLog& log, bool automatic, const std::vector<AddressEntry>& entries,
                       std::string_view own_site, std::string& to, std::string& cc,
                       std::string& bcc) {
  log.Log(".KankeiJidouSettei :" + to);
  const std::vector<KankeiPair> pairs =
      automatic ? SetKankeiList(log, entries) : std::vector<KankeiPair>{};
  SetAutoKankei(log, automatic, pairs, own_site, to);
  SetAutoKankei(log, automatic, pairs, own_site, cc);
  SetAutoKankei(log, automatic, pairs, own_site, bcc);
}

void SetFukusuuList(DiagLog& log, std::string_view text, std::string& list) {
  log.Log(".SetFukusuuList : " + std::string(text));
  std::string_view rest = text;
  std::string_view piece;
  while (!rest.empty()) {
    SplitToken(",", rest, piece);
    piece = TrimBytes(piece);
    if (!piece.empty()) JoinPiece(list, piece);
  }
  log.Log("tolist:" + list);
}

}  // namespace sorami
