// The MIME parser of received mail: turns the raw lines of a message into a TVexMsg with
// its header fields, body text and attachments in code page 932.
//
// The receive calls GetBasicHeaders, then ParseMsg over the message's lines. Attachments
// are decoded in memory; decoding reports its progress through DecodeEvents, which is also
// where the user interface gets its chance to repaint during a long attachment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mail/mime/MailLines.h"
#include "mail/mime/VexMsg.h"

namespace sorami {

class DiagLog;

// Told of the decoding of each attachment.
class DecodeEvents {
 public:
  virtual ~DecodeEvents() = default;
  virtual void OnDecodeStart(std::string_view /*name*/, size_t /*line_count*/) {}
  virtual void OnDecodeProgress(int /*percent*/) {}
  virtual void OnDecodeEnd() {}
  // Lets the user interface process pending events.
  virtual void ProcessEvents() {}
};

// A leaf part of a multipart body: its lines (own headers first) and the multipart/alternative
// it is one rendering of (-1 when none). Headerless parts are the body of a multipart whose
// boundary never appears.
struct MimeLeaf {
  LinesView lines;
  int alternative = -1;
  bool headerless = false;
};

// The transfer encodings the parser decodes; any other is taken as it stands.
enum class TransferEncoding { kAsIs, kBase64, kQuotedPrintable, kUuencode };
// Of an upper-case Content-Transfer-Encoding value ("BASE64", "QUOTED-PRINTABLE",
// "X-UUENCODE" for the uuencoded blocks found in a body).
TransferEncoding TransferEncodingOf(std::string_view upper);

// The media types the parser tells apart.
enum class MediaType {
  kTextPlain,
  kTextHtml,
  kTextOther,
  kMultipartAlternative,
  kMultipartOther,
  kMessageRfc822,
  kOther
};
// Of an upper-case type without parameters ("TEXT/PLAIN", "MULTIPART/MIXED" ...).
MediaType MediaTypeOf(std::string_view upper);
inline bool IsText(MediaType t) {
  return t == MediaType::kTextPlain || t == MediaType::kTextHtml || t == MediaType::kTextOther;
}
inline bool IsMultipart(MediaType t) {
  return t == MediaType::kMultipartAlternative || t == MediaType::kMultipartOther;
}

// The headers of a MIME part that the parser acts on.
struct PartHeaders {
  std::string type = "TEXT/PLAIN";  // upper case, without parameters
  std::string name;                 // file name, decoded to code page 932; empty when none
  std::string encoding = "7BIT";    // upper case
  std::string charset;              // as declared, empty when none
  bool attachment = false;          // Content-Disposition: attachment

  MediaType media() const { return MediaTypeOf(type); }
  TransferEncoding transfer() const { return TransferEncodingOf(encoding); }
};

class TVexPOP {
 public:
  // A message is split into this many parts at most (leaf parts and uuencoded files in its
  // text together); what follows is kept as text. Every part costs memory well beyond its
  // lines, and a message of hundreds of thousands of tiny parts must not take it all.
  static constexpr size_t kMaxParts = 10000;
  // File names are cut to this many bytes, at a character.
  static constexpr size_t kMaxNameBytes = 255;

  std::string ErrorInFormatOfMsg = "Error en el formato del mensaje.";
  int DecodeProgressStep = 10;  // percent
  DecodeEvents* Events = nullptr;
  DiagLog* Log = nullptr;

  // Fills the header fields of msg from msg.Lines.
  void GetBasicHeaders(TVexMsg& msg);
  // Appends the body text to msg.Text and the attachments to msg.Attachments.
  void ParseMsg(TVexMsg& msg, LinesView lines);
  // Splits a multipart text into its leaf parts (nested multiparts are flattened). Past
  // kMaxParts leaves, the lines not split yet are one more part without headers.
  void extractparts(std::vector<MimeLeaf>& parts, LinesView text);
  // Content type, file name and transfer encoding of a part.
  void GetSubHeaders(LinesView lines, std::string& content_type, std::string& file_name,
                     std::string& encoding);
  // Adds an attachment of the part (its lines after the headers) and decodes it.
  void ProcessAttach(TVexMsg& msg, LinesView part, std::string file_name, std::string_view encoding,
                     std::string_view content_type);
  void DecodeBase64Attachment(TAttachedFile& item);
  // Decodes a uuencoded block (item.Lines, the begin line first). A line that breaks the
  // format ends the attachment with what was decoded so far (logged with
  // ErrorInFormatOfMsg); the rest of the mail is read on. False when the block is cut short:
  // by such a line, or by the end of the lines before an "end" line.
  bool DecodeUUAttachment(TAttachedFile& item);
  // The first "begin NNN name" line of a uuencoded block.
  bool FindUUBegin(LinesView lines, size_t& index, std::string& file_name);

  // Everything GetSubHeaders reads, and the declared charset.
  static PartHeaders ReadPartHeaders(LinesView lines);

 private:
  struct Context;
  struct Split;
  void Parse(Context& ctx, LinesView lines, int depth);
  void ParseMultipart(Context& ctx, LinesView lines, int depth);
  void Extract(std::vector<MimeLeaf>& parts, LinesView text, int depth, int alternative,
               Split& split);
  void AppendTextBody(Context& ctx, LinesView body, const PartHeaders& h);
  void Attach(Context& ctx, LinesView part, const PartHeaders& h, bool body_alternative);
  // A forwarded message (message/rfc822) stays a message: an ".eml" attachment with its own
  // header fields, never text merged into the body.
  void AttachForwarded(Context& ctx, LinesView part, const PartHeaders& h);
  void LogLine(std::string_view text);
};

}  // namespace sorami
