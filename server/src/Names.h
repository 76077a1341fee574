// Names that come from senders: attachment file names (reduced to bare, safe names) and the
// site addresses of a send ("nick%site/relation", several joined by ",").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorami::site {

// The bare name of an uploaded file: the part after the last "\" or "/" (found character by
// character, so a double-byte character ending in 0x5C is not a separator, while a lead byte
// before a byte that cannot end a character is a character of its own), without a drive
// letter, control characters, leading dots or trailing dots and blanks; characters that would
// break the attachment list or a file name (",", "#", <>:"|?* and a lone lead byte) become "_".
// Never empty.
std::string CleanAttachmentName(std::string_view sent);

// Cleans every name and makes them unique within one message ("a.txt", "a_2.txt", ...).
std::vector<std::string> AttachmentNames(const std::vector<std::string>& sent);

struct SiteAddress {
  std::string nick;
  std::string site;
  std::string text;  // the piece as written, for error messages
};

// The site addresses of a recipient text. Full-width "％" and "、" count as "%" and ","
// (a multipart send carries "％" in place of "%"); blanks around pieces are dropped; a
// trailing "/number" (the relation) is dropped; a piece without "%" belongs to defaultSite.
std::vector<SiteAddress> ParseSiteAddresses(std::string_view text, std::string_view defaultSite);

}  // namespace sorami::site
