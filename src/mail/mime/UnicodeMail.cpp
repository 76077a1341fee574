#include "mail/mime/UnicodeMail.h"

#include "mail/mime/Base64.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/HtmlText.h"
#include "mail/mime/MailCharset.h"
#include "mail/mime/MailHeader.h"
#include "mail/mime/MailLines.h"
#include "mail/mime/VexPop.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

constexpr int kMaxDepth = 8;

std::string HeaderUtf8(LinesView lines, std::string_view name) {
  std::string line;
  return GetHeaderLine(name, lines, line) ? DecodeHeaderUtf8(HeaderValue(line)) : std::string();
}

// The lines after a part's header block and the empty line that ends it.
LinesView BodyOf(LinesView lines) {
  size_t i = 0;
  while (i < lines.size() && !lines[i].empty()) ++i;
  return lines.subspan(std::min(i + 1, lines.size()));
}

// The part's bytes with its transfer encoding undone.
std::string Decoded(LinesView body, const PartHeaders& h) {
  switch (h.transfer()) {
    case TransferEncoding::kBase64: {
      std::string out;
      Base64DecodeLines(body, out);
      return out;
    }
    case TransferEncoding::kQuotedPrintable:
      return DecodeQuotedPrintable(body);
    default:
      return JoinLines(body);
  }
}

std::string WithLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

class Reader {
 public:
  explicit Reader(UnicodeMail& mail) : mail_(mail) {}

  void Part(LinesView lines, int depth, bool headerless) {
    const PartHeaders h = headerless ? PartHeaders{} : TVexPOP::ReadPartHeaders(lines);
    const LinesView body = headerless ? lines : BodyOf(lines);
    if (depth < kMaxDepth && IsMultipart(h.media()) && !headerless) {
      Multipart(lines, depth);
    } else if (h.media() == MediaType::kMessageRfc822) {
      Forwarded(body, h);
    } else if (h.media() == MediaType::kTextHtml && h.name.empty() && !h.attachment) {
      Html(body, h);
    } else if (IsTextBody(h) || (h.transfer() == TransferEncoding::kAsIs && !IsText(h.media()) &&
                                 h.name.empty() && !h.attachment)) {
      Text(body, h);
    } else {
      mail_.attachments.push_back(Cp932ToUtf8(h.name));
    }
  }

  void Finish() {
    if (!has_text_ && !html_.empty()) mail_.body = html_;
  }

 private:
  static bool IsTextBody(const PartHeaders& h) {
    return IsText(h.media()) && h.media() != MediaType::kTextHtml &&
           h.transfer() != TransferEncoding::kUuencode && h.name.empty() && !h.attachment;
  }

  void Multipart(LinesView lines, int depth) {
    TVexPOP splitter;
    std::vector<MimeLeaf> leaves;
    splitter.extractparts(leaves, lines);
    // Of each alternative, the plain rendering when there is one.
    std::vector<char> has_plain;
    for (const MimeLeaf& leaf : leaves) {
      if (leaf.alternative < 0 || leaf.headerless) continue;
      const PartHeaders h = TVexPOP::ReadPartHeaders(leaf.lines);
      if (has_plain.size() <= static_cast<size_t>(leaf.alternative)) {
        has_plain.resize(static_cast<size_t>(leaf.alternative) + 1, 0);
      }
      if (IsTextBody(h) && h.media() == MediaType::kTextPlain) {
        has_plain[static_cast<size_t>(leaf.alternative)] = 1;
      }
    }
    std::vector<char> used(has_plain.size(), 0);
    for (const MimeLeaf& leaf : leaves) {
      if (leaf.alternative >= 0 && !leaf.headerless) {
        const size_t g = static_cast<size_t>(leaf.alternative);
        const PartHeaders h = TVexPOP::ReadPartHeaders(leaf.lines);
        const bool plain = IsTextBody(h) && h.media() == MediaType::kTextPlain;
        if (has_plain[g] && (plain ? used[g] : h.media() == MediaType::kTextHtml)) continue;
        if (plain) used[g] = 1;
      }
      Part(leaf.lines, depth + 1, leaf.headerless);
    }
  }

  void Text(LinesView body, const PartHeaders& h) {
    std::string text = WithLf(CharsetToUtf8Text(Decoded(body, h), h.charset));
    if (text.empty()) return;
    if (!mail_.body.empty() && mail_.body.back() != '\n') mail_.body += '\n';
    mail_.body += text;
    has_text_ = true;
  }

  // The text of the first HTML rendering stands in when the mail has no plain text.
  void Html(LinesView body, const PartHeaders& h) {
    if (!html_.empty()) return;
    html_ = WithLf(HtmlToUtf8Text(CharsetToUtf8Text(Decoded(body, h), h.charset)));
  }

  void Forwarded(LinesView body, const PartHeaders& h) {
    std::string name = Cp932ToUtf8(h.name);
    if (name.empty()) {
      MailLines inner;
      inner.AssignText(Decoded(body, h));
      name = HeaderUtf8(inner.view(), "SUBJECT:");
      if (name.empty()) name = "message";
      name += ".eml";
    }
    mail_.attachments.push_back(name);
  }

  UnicodeMail& mail_;
  std::string html_;
  bool has_text_ = false;
};

}  // namespace

UnicodeMail ReadUnicodeMail(std::string_view raw) {
  MailLines lines;
  lines.AssignText(std::string(raw));
  const LinesView all = lines.view();
  UnicodeMail mail;
  mail.from = HeaderUtf8(all, "FROM:");
  mail.to = HeaderUtf8(all, "TO:");
  mail.cc = HeaderUtf8(all, "CC:");
  mail.subject = HeaderUtf8(all, "SUBJECT:");
  mail.date = HeaderUtf8(all, "DATE:");
  Reader reader(mail);
  reader.Part(all, 0, false);
  reader.Finish();
  return mail;
}

std::string UnicodeMailText(const UnicodeMail& mail) {
  std::string out = "From: " + mail.from + "\nTo: " + mail.to + "\n";
  if (!mail.cc.empty()) out += "Cc: " + mail.cc + "\n";
  out += "Date: " + mail.date + "\nSubject: " + mail.subject + "\n";
  for (const std::string& name : mail.attachments) out += "Attachment: " + name + "\n";
  out += "\n" + mail.body;
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

}  // namespace sorami
