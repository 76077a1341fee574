// A mail message: header fields in code page 932, the body text and the attachments. The
// receive side fills it from the raw lines (see TVexPOP); the send side builds one to write.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mime/MailDate.h"
#include "mail/mime/MailLines.h"

namespace sorami {

enum class TPriority { prHighest, prHigh, prNormal, prLow, prLowest };

// One attachment of a message.
struct TAttachedFile {
  std::string Name;         // file name (JIS for an outgoing one, see TAttachedFiles::Add)
  std::string FullPath;     // the path it was added with
  LinesView Lines;          // encoded lines, only while decoding
  std::string Data;         // the decoded content
  std::string ContentType;  // "application/pdf"
  // The part is another rendering of the body (the HTML of a multipart/alternative, or an
  // HTML body without a name), not a file the sender attached.
  bool BodyAlternative = false;

  // Writes Data to the file; false when it cannot be written.
  bool SaveToFile(const std::filesystem::path& path) const;
};

// The file-name part of a path: what follows its last "/" or "\\" (a character boundary of
// code page 932 text).
std::string_view FileNamePart(std::string_view path);

class TAttachedFiles {
 public:
  // An outgoing attachment: Name is the file-name part of path, converted to JIS when it
  // holds Japanese; ContentType comes from the file's extension.
  TAttachedFile& Add(std::string_view path);
  // A received attachment: the name as decoded from the mail (code page 932) and the
  // content type the part declared.
  TAttachedFile& AddReceived(std::string_view name, std::string_view content_type);

  size_t Count() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  TAttachedFile& operator[](size_t i) { return items_[i]; }
  const TAttachedFile& operator[](size_t i) const { return items_[i]; }
  TAttachedFile& back() { return items_.back(); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  void Clear() { items_.clear(); }

 private:
  std::vector<TAttachedFile> items_;
};

class TVexMsg {
 public:
  std::string UserName;
  std::string JPName;
  std::string From;
  std::string ReplyTo;
  std::string SendTo;
  std::string CC;
  std::string BCC;
  std::string Subject;
  std::vector<std::string> Text;  // the body, line by line
  std::vector<std::string> ExtraHeaders;
  TPriority Priority = TPriority::prNormal;
  std::string CharSet = "ISO-8859-1";

  std::string Sender;
  std::string MessageId;
  std::string InReplyTo;
  std::string ReturnPath;
  std::string DateText;
  MailDateTime DateValue = 0;
  std::string ContentType;  // upper case, without parameters
  std::string Encoding;     // upper case
  MailLines Lines;          // the raw message, filled by the caller
  TAttachedFiles Attachments;
  // What was found broken while reading the message (an attachment cut short, a failure of
  // the parse), a text for the log each; empty when the message was read whole.
  std::vector<std::string> Damage;

  // The body lines joined with CR LF.
  std::string BodyText() const;
};

}  // namespace sorami
