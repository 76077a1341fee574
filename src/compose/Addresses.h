// Recipient texts of the compose window: split into site addresses and mail addresses, site
// addresses brought to "nickname%site" (with "/" and the relation number when the relation is
// set automatically from the address list), the multi-recipient list of a site message, and
// the two tables that classify a message: relation (関係) and category (種別).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"

namespace sorami {

struct CodeName {
  std::string code;
  std::string name;  // code page 932
};

// "本人" (0) ... "面識無し" (9), in table order; the compose window's default is "知人".
const std::array<CodeName, 6>& RelationTable();
// "挨拶" (A) ... "その他" (X), in table order; the compose window's default is "一般連絡".
const std::array<CodeName, 7>& CategoryTable();

// Appends a piece to a comma list: the piece alone when the list is empty.
void JoinPiece(std::string& list, std::string_view piece);

// Splits a recipient text into addresses. Items are separated by "," or "、"; an item holding
// "<address>" is that mail address (what stands before it is only a name); any other item
// splits at blanks and full-width blanks. A piece with "@" is a mail address, any other
// non-empty piece a site address (joined into site_list). The flags are set, never cleared.
// False when a piece with "@" is no mail address an SMTP server can take ("taro@", "@x"):
// bad, when given and empty, gets the first such piece; the piece is in neither list.
bool AtesakiBunri(DiagLog& log, std::string_view text, std::string& site_list,
                  std::vector<std::string>& mails, bool& mail_flag, bool& site_flag,
                  std::string* bad = nullptr);

// One entry of the address list ("送信先リスト"): its address text (one or more addresses),
// the relation name chosen for it, and its name.
struct AddressEntry {
  std::string address;
  std::string relation;
  std::string name;
};
// A piece of an address list entry's address, with the entry's relation name.
struct KankeiPair {
  std::string piece;
  std::string relation;
};
inline constexpr size_t kMaxKankeiPairs = 100;

// The relation look-up table from the address list (at most 100 pairs; further pieces are
// ignored).
std::vector<KankeiPair> SetKankeiList(DiagLog& log, const std::vector<AddressEntry>& entries);
// The position (0 to 5) of a relation name in the relation table, -1 when it is not there.
int SearchKankei(DiagLog& log, std::string_view name);
// Brings every site address of text to "nickname%site" (own_site when it names none); with
// automatic relation, a piece without "/" gets "/" and its relation number (9: not listed).
void SetAutoKankei(DiagLog& log, bool automatic, const std::vector<KankeiPair>& pairs,
                   std::string_view own_site, std::string& text);
// SetAutoKankei on To, CC and Bcc with one table from the address list.
void KankeiJidouSettei(DiagLog& log, bool automatic, const std::vector<AddressEntry>& entries,
                       std::string_view own_site, std::string& to, std::string& cc,
                       std::string& bcc);
// Appends the trimmed, non-empty pieces of text to the multi-recipient list.
void SetFukusuuList(DiagLog& log, std::string_view text, std::string& list);

}  // namespace sorami
