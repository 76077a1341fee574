// Mail addresses in header text: "Name <user@host>", "user@host (Name)", lists of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorami {

class DiagLog;

// The address: comments in parentheses removed, what stands between "<" and ">" when there
// is such a pair; with brackets set, wrapped in "<" and ">".
std::string ExtractAddress(std::string_view text, bool brackets);

// The display name: the part from "<" to ">" removed, what stands between "(" and ")" when
// there is such a pair; double and single quotes removed, trimmed; with quotes set, wrapped
// in double quotes.
std::string ExtractDisplayName(std::string_view text, bool quotes);

// The bare addresses of a recipient list, lower-cased: quoted names removed, split at ",".
std::vector<std::string> AddressListToStrings(std::string_view text);

// Each mailbox of a list as "\"Name\" <address>", decoded, joined with ", ". Commas inside
// quoted names do not separate.
std::string DecodeAddressList(std::string_view text);

// The addresses of a recipient text (separated by "," or "、") joined with ","; pieces without
// "@" are skipped, and so are empty pieces (the rest of the list still counts). Logs its steps
// when log is given.
std::string OnlyMail(std::string_view text, DiagLog* log = nullptr);

// True for a bare address an SMTP server can take: one "@" with a local part before it and a
// domain after it, printable ASCII without blanks, brackets, quotes, backslashes, commas or
// semicolons, the domain neither starting nor ending with ".".
bool IsMailboxAddress(std::string_view address);

// The first piece of a recipient text (separated by "," or "、", trimmed, empty pieces
// skipped; "Name <address>" counts by its address) that is no mail address; empty when every
// piece is one.
std::string FirstBadAddress(std::string_view text);

// Splits an address list at the commas that separate mailboxes: not those inside double
// quotes, comments or angle brackets. Pieces are trimmed; empty pieces are dropped.
std::vector<std::string> SplitAddresses(std::string_view text);

}  // namespace sorami
