#include "mail/mime/VexPop.h"

#include <algorithm>
#include <array>
#include <exception>

#include "base/DiagLog.h"
#include "base/MbText.h"
#include "mail/mime/Base64.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/HtmlText.h"
#include "mail/mime/MailAddress.h"
#include "mail/mime/MailCharset.h"
#include "mail/mime/MailDate.h"
#include "mail/mime/MailHeader.h"

namespace sorami {

TransferEncoding TransferEncodingOf(std::string_view upper) {
  if (upper == "BASE64") return TransferEncoding::kBase64;
  if (upper == "QUOTED-PRINTABLE") return TransferEncoding::kQuotedPrintable;
  if (upper == "X-UUENCODE") return TransferEncoding::kUuencode;
  return TransferEncoding::kAsIs;
}

MediaType MediaTypeOf(std::string_view upper) {
  if (upper == "TEXT/PLAIN") return MediaType::kTextPlain;
  if (upper == "TEXT/HTML") return MediaType::kTextHtml;
  if (upper.starts_with("TEXT/")) return MediaType::kTextOther;
  if (upper == "MULTIPART/ALTERNATIVE") return MediaType::kMultipartAlternative;
  if (upper.starts_with("MULTIPART/")) return MediaType::kMultipartOther;
  if (upper == "MESSAGE/RFC822") return MediaType::kMessageRfc822;
  return MediaType::kOther;
}

namespace {

// Deeper nesting than this (of multiparts and enclosed messages) is read as plain lines:
// real mail never comes near it, and recursion must not exhaust the stack.
constexpr int kMaxDepth = 24;

struct Base64Table {
  std::array<int8_t, 256> value{};
  constexpr Base64Table() {
    for (auto& v : value) v = -1;
    constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
      value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    value['='] = -2;
  }
};
constexpr Base64Table kB64;

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The lines after the header block and the one empty line that ends it.
LinesView SkipHeaderBlock(LinesView lines) {
  size_t i = 0;
  while (i < lines.size() && !lines[i].empty()) ++i;
  return lines.subspan(std::min(i + 1, lines.size()));
}

LinesView DropLeadingEmpty(LinesView lines) {
  size_t i = 0;
  while (i < lines.size() && lines[i].empty()) ++i;
  return lines.subspan(i);
}

// A file name that stays a file name: no path separators, drive or device marks, wildcards,
// quotes or control characters (checked character by character, so the second byte of a
// double-byte character is never taken for a backslash).
std::string SanitizeFileName(std::string_view name) {
  static constexpr std::string_view kBad = "\\/:*?\"<>|";
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c)) {
      // A whole double-byte character stays (its second byte may be 0x5C or 0x7C); a lead
      // byte without a valid second byte goes, and the byte after it is looked at alone, so
      // "/", NUL or LF can never hide behind it.
      if (i + 1 < name.size() && IsTrailByte(static_cast<unsigned char>(name[i + 1]))) {
        out.append(name.substr(i, 2));
        ++i;
      }
      continue;
    }
    if (c < 0x20 || c == 0x7F || kBad.find(static_cast<char>(c)) != std::string_view::npos) {
      continue;
    }
    out += static_cast<char>(c);
  }
  // A name of dots alone ("..") would name a directory, not a file.
  if (out.find_first_not_of(". ") == std::string::npos) return {};
  std::string kept(TrimView(out));
  if (kept.size() > TVexPOP::kMaxNameBytes) {
    // Cut at a character; a short extension stays, so that the file still opens.
    size_t dot = std::string::npos;
    for (size_t i = 0; i < kept.size(); i += MbCharLen(kept, i)) {
      if (kept[i] == '.') dot = i;
    }
    const std::string ext =
        dot != std::string::npos && kept.size() - dot <= 16 ? kept.substr(dot) : "";
    size_t end = 0;
    while (end < kept.size() && end + MbCharLen(kept, end) + ext.size() <= TVexPOP::kMaxNameBytes) {
      end += MbCharLen(kept, end);
    }
    kept = kept.substr(0, end) + ext;
  }
  return kept;
}

// The subject with its extension (what follows its last ".") replaced by ext.
std::string ChangeExtension(std::string_view subject, std::string_view ext) {
  std::string_view base = subject;
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < base.size(); i += MbCharLen(base, i)) {
    if (base[i] == '.') dot = i;
  }
  if (dot != std::string_view::npos) base = base.substr(0, dot);
  return std::string(base) + std::string(ext);
}

std::string_view ExtensionOfType(std::string_view upper_type) {
  static constexpr std::pair<std::string_view, std::string_view> kTable[] = {
      {"TEXT/HTML", ".html"},      {"TEXT/PLAIN", ".txt"},      {"TEXT/CALENDAR", ".ics"},
      {"IMAGE/JPEG", ".jpg"},      {"IMAGE/PNG", ".png"},       {"IMAGE/GIF", ".gif"},
      {"APPLICATION/PDF", ".pdf"}, {"APPLICATION/ZIP", ".zip"}, {"MESSAGE/RFC822", ".eml"},
      {"TEXT/ENRICHED", ".txt"}};
  for (const auto& [type, ext] : kTable) {
    if (upper_type == type) return ext;
  }
  return ".dat";
}

std::string NormalEncoding(std::string_view value) {
  std::string_view v = TrimView(value);
  const size_t end = std::min(v.find(';'), v.find(' '));
  std::string e = UpperAscii(TrimView(v.substr(0, end)));
  if (e == "X-UUE" || e == "UUENCODE" || e == "X-UUENCODED") e = "X-UUENCODE";
  return e.empty() ? "7BIT" : e;
}

bool IsEndLine(std::string_view line) {
  const std::string_view t = TrimView(line);
  return t.size() == 3 && (t[0] | 0x20) == 'e' && (t[1] | 0x20) == 'n' && (t[2] | 0x20) == 'd';
}

bool IsBlankText(const std::vector<std::string>& lines) {
  for (const std::string& l : lines) {
    if (!TrimView(l).empty()) return false;
  }
  return true;
}

}  // namespace

struct TVexPOP::Context {
  TVexMsg& msg;
  std::string html_text;  // the text of the first HTML rendering of the body, if any
  size_t parts_left = kMaxParts;
};

// The state of splitting a multipart into leaves.
struct TVexPOP::Split {
  int next_group = 0;        // number of the next multipart/alternative
  size_t limit = kMaxParts;  // leaves to take at most
  // Once the limit is reached: the first line not split into leaves (the rest runs to the
  // end of the text split).
  const std::string_view* rest = nullptr;
};

void TVexPOP::LogLine(std::string_view text) {
  if (Log) Log->Log(text);
}

PartHeaders TVexPOP::ReadPartHeaders(LinesView lines) {
  PartHeaders h;
  std::string line;
  std::string name;
  if (GetHeaderLine("CONTENT-TYPE:", lines, line)) {
    const std::string_view v = HeaderValue(line);
    const std::string type = MainValueUpper(v);
    if (!type.empty()) h.type = type;
    h.charset = GetMimeParam(v, "charset").value_or("");
    name = GetMimeParam(v, "name").value_or("");
  }
  if (GetHeaderLine("CONTENT-TRANSFER-ENCODING:", lines, line)) {
    h.encoding = NormalEncoding(HeaderValue(line));
  }
  if (GetHeaderLine("CONTENT-DISPOSITION:", lines, line)) {
    const std::string_view v = HeaderValue(line);
    h.attachment = MainValueUpper(v) == "ATTACHMENT";
    // The disposition's file name is the one the sender's program meant for saving.
    const std::string file_name = GetMimeParam(v, "filename").value_or("");
    if (!TrimView(file_name).empty()) name = file_name;
  }
  h.name = std::string(TrimView(name));
  return h;
}

void TVexPOP::GetSubHeaders(LinesView lines, std::string& content_type, std::string& file_name,
                            std::string& encoding) {
  const PartHeaders h = ReadPartHeaders(lines);
  content_type = h.type;
  file_name = h.name;
  encoding = h.encoding;
}

void TVexPOP::GetBasicHeaders(TVexMsg& msg) {
  const LinesView lines = msg.Lines.view();
  // A mailbox file's separator line "From sender date" names the sender until a From
  // header says otherwise.
  if (!lines.empty() && lines[0].starts_with("From ")) msg.From = MbCopy(lines[0], 6, 72);
  std::string line;
  auto value = [&line] { return HeaderValue(line); };
  if (GetHeaderLine("FROM:", lines, line)) msg.From = DecodeHeader(value());
  if (GetHeaderLine("SENDER:", lines, line)) msg.Sender = DecodeAddressList(value());
  if (GetHeaderLine("MESSAGE-ID:", lines, line)) msg.MessageId = std::string(value());
  if (GetHeaderLine("IN-REPLY-TO:", lines, line)) msg.InReplyTo = std::string(value());
  if (GetHeaderLine("RETURN-PATH:", lines, line)) msg.ReturnPath = std::string(value());
  if (GetHeaderLine("REPLY-TO:", lines, line)) msg.ReplyTo = DecodeHeader(value());
  if (GetHeaderLine("TO:", lines, line)) msg.SendTo = DecodeAddressField(value());
  if (GetHeaderLine("CC:", lines, line)) msg.CC = DecodeAddressField(value());
  if (GetHeaderLine("DATE:", lines, line)) {
    msg.DateText = std::string(value());
    ParseMailDate(msg.DateText, msg.DateValue);
  }
  if (GetHeaderLine("SUBJECT:", lines, line)) msg.Subject = DecodeHeader(value());
  msg.ContentType =
      GetHeaderLine("CONTENT-TYPE:", lines, line) ? MainValueUpper(value()) : "TEXT/PLAIN";
  if (msg.ContentType.empty()) msg.ContentType = "TEXT/PLAIN";
  msg.Encoding =
      GetHeaderLine("CONTENT-TRANSFER-ENCODING:", lines, line) ? NormalEncoding(value()) : "7BIT";
}

void TVexPOP::ParseMsg(TVexMsg& msg, LinesView lines) {
  Context ctx{msg, {}};
  Parse(ctx, lines, 0);
  // A mail that is only HTML still shows its text.
  if (IsBlankText(msg.Text) && !ctx.html_text.empty()) {
    msg.Text = SplitLines(ctx.html_text);
  }
}

void TVexPOP::Parse(Context& ctx, LinesView lines, int depth) {
  const PartHeaders h = ReadPartHeaders(lines);
  if (depth < kMaxDepth && IsMultipart(h.media())) {
    ParseMultipart(ctx, lines, depth);
    return;
  }
  if (depth > 0 && h.media() == MediaType::kMessageRfc822) {
    AttachForwarded(ctx, SkipHeaderBlock(lines), h);
    return;
  }
  if (depth < kMaxDepth && h.media() == MediaType::kMessageRfc822) {
    LinesView inner = lines;
    StripHeaderLines(inner);
    Parse(ctx, inner, depth + 1);
    return;
  }
  if (IsText(h.media()) || depth >= kMaxDepth) {
    LinesView body = lines;
    StripHeaderLines(body);
    // uuencoded files inside the text become attachments; their "end" lines stay.
    std::vector<std::string_view> rest;
    rest.reserve(body.size());
    size_t i = 0;
    size_t at = 0;
    std::string uu_name;
    while (ctx.parts_left > 0 && i < body.size() && FindUUBegin(body.subspan(i), at, uu_name)) {
      --ctx.parts_left;
      rest.insert(rest.end(), body.begin() + static_cast<std::ptrdiff_t>(i),
                  body.begin() + static_cast<std::ptrdiff_t>(i + at));
      std::vector<std::string_view> block;
      size_t j = i + at;
      for (; j < body.size() && !IsEndLine(body[j]); ++j) {
        if (!body[j].empty()) block.push_back(body[j]);
      }
      if (j < body.size()) block.push_back(body[j]);  // the "end" line, which stays in the text
      PartHeaders uh;
      uh.type = "APPLICATION/OCTET-STREAM";
      uh.encoding = "X-UUENCODE";
      uh.name = GuessToSjis(uu_name);
      Attach(ctx, block, uh, false);
      i = j;
    }
    if (i < body.size()) {
      rest.insert(rest.end(), body.begin() + static_cast<std::ptrdiff_t>(i), body.end());
    }
    AppendTextBody(ctx, rest, h);
    return;
  }
  const LinesView body = SkipHeaderBlock(lines);
  const bool encoded = h.transfer() != TransferEncoding::kAsIs;
  if (encoded || !h.name.empty() || h.attachment) {
    Attach(ctx, body, h, false);
  } else {
    AppendTextBody(ctx, body, h);
  }
}

void TVexPOP::ParseMultipart(Context& ctx, LinesView lines, int depth) {
  std::vector<MimeLeaf> leaves;
  Split split;
  split.limit = ctx.parts_left;
  Extract(leaves, lines, depth, -1, split);
  ctx.parts_left -= leaves.size();
  const int groups = split.next_group;

  auto is_text_body = [](const PartHeaders& h) {
    return IsText(h.media()) && h.media() != MediaType::kTextHtml &&
           h.transfer() != TransferEncoding::kUuencode && h.name.empty() && !h.attachment;
  };
  std::vector<PartHeaders> headers;
  headers.reserve(leaves.size());
  std::vector<char> group_has_plain(static_cast<size_t>(groups), 0);
  for (const MimeLeaf& leaf : leaves) {
    headers.push_back(leaf.headerless ? PartHeaders{} : ReadPartHeaders(leaf.lines));
    const PartHeaders& h = headers.back();
    if (leaf.alternative >= 0 && is_text_body(h) && h.media() == MediaType::kTextPlain) {
      group_has_plain[static_cast<size_t>(leaf.alternative)] = 1;
    }
  }
  std::vector<char> group_plain_used(static_cast<size_t>(groups), 0);
  for (size_t i = 0; i < leaves.size(); ++i) {
    const MimeLeaf& leaf = leaves[i];
    const PartHeaders& h = headers[i];
    const LinesView body = leaf.headerless ? leaf.lines : SkipHeaderBlock(leaf.lines);
    if (h.media() == MediaType::kMessageRfc822) {
      AttachForwarded(ctx, body, h);
      continue;
    }
    if (IsMultipart(h.media())) {
      AppendTextBody(ctx, body, PartHeaders{});  // nested beyond the limit: plain lines
      continue;
    }
    if (is_text_body(h)) {
      if (leaf.alternative >= 0) {
        // One rendering of an alternative is the body: the plain text when there is one.
        const size_t g = static_cast<size_t>(leaf.alternative);
        if (group_has_plain[g] && (h.media() != MediaType::kTextPlain || group_plain_used[g]))
          continue;
        if (h.media() == MediaType::kTextPlain) group_plain_used[g] = 1;
      }
      AppendTextBody(ctx, body, h);
      continue;
    }
    const bool html = h.media() == MediaType::kTextHtml;
    Attach(ctx, body, h, html && (h.name.empty() || leaf.alternative >= 0));
  }
  if (split.rest) {
    const LinesView rest(split.rest, lines.data() + lines.size());
    LogLine("more than " + std::to_string(kMaxParts) + " parts: " + std::to_string(rest.size()) +
            " lines kept as text");
    AppendTextBody(ctx, rest, PartHeaders{});
  }
}

void TVexPOP::extractparts(std::vector<MimeLeaf>& parts, LinesView text) {
  Split split;
  Extract(parts, text, 0, -1, split);
  if (split.rest) parts.push_back({LinesView(split.rest, text.data() + text.size()), -1, true});
}

void TVexPOP::Extract(std::vector<MimeLeaf>& parts, LinesView text, int depth, int alternative,
                      Split& split) {
  if (split.rest) return;
  if (parts.size() >= split.limit) {
    split.rest = text.data();
    return;
  }
  std::string line;
  if (depth >= kMaxDepth || !GetHeaderLine("CONTENT-TYPE:", text, line)) {
    parts.push_back({text, alternative, false});
    return;
  }
  const std::string_view value = HeaderValue(line);
  const std::string type = MainValueUpper(value);
  if (!IsMultipart(MediaTypeOf(type))) {
    parts.push_back({text, alternative, false});
    return;
  }
  std::string boundary = GetMimeParam(value, "boundary").value_or("");
  if (boundary.empty()) boundary = GetBoundary(value).substr(2);
  const LinesView body = SkipHeaderBlock(text);
  if (boundary.empty()) {
    parts.push_back({body, alternative, true});
    return;
  }
  const std::string open = "--" + boundary;
  const std::string close = open + "--";
  const int group =
      MediaTypeOf(type) == MediaType::kMultipartAlternative ? split.next_group++ : alternative;

  size_t i = 0;
  while (i < body.size() && TrimRight(body[i]) != open) {
    if (TrimRight(body[i]) == close) break;
    ++i;
  }
  if (i == body.size() || TrimRight(body[i]) != open) {
    // No part ever begins: the body is read as one text without headers.
    parts.push_back({body, alternative, true});
    return;
  }
  size_t start = i + 1;
  for (size_t j = start; j < body.size(); ++j) {
    const std::string_view l = body[j];
    if (l.size() < open.size() || l[0] != '-' || l[1] != '-') continue;
    const std::string_view t = TrimRight(l);
    if (t == close) {
      Extract(parts, body.subspan(start, j - start), depth + 1, group, split);
      return;
    }
    if (t == open) {
      Extract(parts, body.subspan(start, j - start), depth + 1, group, split);
      if (split.rest) return;
      start = j + 1;
    }
  }
  // The closing boundary never came: the last part runs to the end.
  Extract(parts, body.subspan(start), depth + 1, group, split);
}

void TVexPOP::AppendTextBody(Context& ctx, LinesView body, const PartHeaders& h) {
  body = DropLeadingEmpty(body);
  // A body may run to megabytes (the lines past kMaxParts all go here): each copy is let go
  // as soon as the next is made, and the lines are moved, not copied, into the message.
  std::string text;
  {
    std::string bytes;
    if (h.transfer() == TransferEncoding::kBase64) {
      Base64DecodeLines(body, bytes);
    } else if (h.transfer() == TransferEncoding::kQuotedPrintable) {
      bytes = DecodeQuotedPrintable(body);
    } else {
      bytes = JoinLines(body);
    }
    text = CharsetToSjis(bytes, h.charset);
  }
  if (h.media() == MediaType::kTextHtml) text = HtmlToText(text);
  std::replace(text.begin(), text.end(), '\0', ' ');
  std::vector<std::string> lines = SplitLines(text);
  std::vector<std::string>& out = ctx.msg.Text;
  if (out.empty()) {
    out = std::move(lines);
  } else {
    out.insert(out.end(), std::make_move_iterator(lines.begin()),
               std::make_move_iterator(lines.end()));
  }
}

void TVexPOP::Attach(Context& ctx, LinesView part, const PartHeaders& h, bool body_alternative) {
  ProcessAttach(ctx.msg, part, h.name, h.encoding, h.type);
  TAttachedFile& item = ctx.msg.Attachments.back();
  if (h.media() == MediaType::kTextHtml && h.name.empty()) body_alternative = true;
  item.BodyAlternative = body_alternative;
  if (body_alternative && h.media() == MediaType::kTextHtml && ctx.html_text.empty()) {
    ctx.html_text = HtmlToText(CharsetToSjis(item.Data, h.charset));
    std::replace(ctx.html_text.begin(), ctx.html_text.end(), '\0', ' ');
  }
}

void TVexPOP::AttachForwarded(Context& ctx, LinesView part, const PartHeaders& h) {
  PartHeaders named = h;
  if (TrimView(named.name).empty()) {
    // Named after the forwarded message's subject, so it reads as the mail it is.
    std::string subject;
    named.name = GetHeaderLine("SUBJECT:", part, subject) ? DecodeHeader(HeaderValue(subject))
                                                          : std::string();
    if (TrimView(named.name).empty()) named.name = "message";
    named.name += ".eml";
  }
  Attach(ctx, part, named, false);
}

void TVexPOP::ProcessAttach(TVexMsg& msg, LinesView part, std::string file_name,
                            std::string_view encoding, std::string_view content_type) {
  std::string name = SanitizeFileName(file_name);
  if (name.empty()) {
    // A part without a name is named after the subject: the HTML rendering of the body as
    // ".html", any other part by its type.
    const std::string subject = msg.Subject.empty() ? std::string("noname") : msg.Subject;
    name = SanitizeFileName(ChangeExtension(subject, ExtensionOfType(content_type)));
  }
  TAttachedFile& item = msg.Attachments.AddReceived(name, LowerAscii(content_type));
  const TransferEncoding transfer = TransferEncodingOf(encoding);
  if (transfer == TransferEncoding::kBase64) {
    item.Lines = part;
    DecodeBase64Attachment(item);
    item.Lines = {};
  } else if (transfer == TransferEncoding::kUuencode) {
    item.Lines = part;
    if (!DecodeUUAttachment(item)) {
      msg.Damage.push_back("uuencoded attachment " + item.Name + " is cut short");
    }
    item.Lines = {};
  } else if (transfer == TransferEncoding::kQuotedPrintable) {
    item.Data = DecodeQuotedPrintable(part);
  } else {
    item.Data = JoinLines(part);
  }
}

namespace {

// The progress of decoding one attachment: the start, a step each time the done share passes
// the next threshold, a chance for the user interface to breathe whenever the share changes,
// and the end at 100 percent.
class DecodeProgress {
 public:
  DecodeProgress(DecodeEvents* events, int step, std::string_view name, size_t count)
      : events_(events), step_(step), threshold_(step), count_(count) {
    if (events_) events_->OnDecodeStart(name, count);
  }
  // Line li (from 0) of count_ is done.
  void Line(size_t li) {
    const int now = static_cast<int>(((li + 1) * 100 + count_ / 2) / count_);
    if (now == percent_) return;
    percent_ = now;
    if (percent_ >= threshold_) {
      if (events_) events_->OnDecodeProgress(percent_);
      threshold_ += step_;
    }
    if (events_) events_->ProcessEvents();
  }
  void Finish() {
    if (!events_) return;
    if (percent_ < 100) events_->OnDecodeProgress(100);
    events_->OnDecodeEnd();
  }

 private:
  DecodeEvents* events_;
  int step_;
  int threshold_;
  size_t count_;
  int percent_ = 0;
};

}  // namespace

void TVexPOP::DecodeBase64Attachment(TAttachedFile& item) {
  const LinesView lines = item.Lines;
  const size_t count = lines.size();
  DecodeProgress progress(Events, DecodeProgressStep, item.Name, count);
  size_t total = 0;
  for (std::string_view l : lines) total += l.size();
  std::string& out = item.Data;
  out.clear();
  out.reserve(total / 4 * 3 + 3);

  unsigned acc = 0;
  int have = 0;
  // "=" ends a group: the characters it holds give their bytes.
  auto flush = [&] {
    if (have == 2) {
      out += static_cast<char>(acc >> 4);
    } else if (have == 3) {
      out += static_cast<char>(acc >> 10);
      out += static_cast<char>(acc >> 2);
    }
    acc = 0;
    have = 0;
  };
  for (size_t li = 0; li < count; ++li) {
    for (char c : lines[li]) {
      const int v = kB64.value[static_cast<unsigned char>(c)];
      if (v >= 0) {
        acc = (acc << 6) | static_cast<unsigned>(v);
        if (++have == 4) {
          const char bytes[3] = {static_cast<char>(acc >> 16), static_cast<char>(acc >> 8),
                                 static_cast<char>(acc)};
          out.append(bytes, 3);
          acc = 0;
          have = 0;
        }
      } else if (v == -2) {
        flush();
      }
      // Any other character (a blank, a stray mark) is no part of the data.
    }
    progress.Line(li);
  }
  flush();  // a truncated last group still gives what it holds
  progress.Finish();
}

bool TVexPOP::DecodeUUAttachment(TAttachedFile& item) {
  const LinesView lines = item.Lines;
  const size_t count = lines.size();
  DecodeProgress progress(Events, DecodeProgressStep, item.Name, count);
  std::string& out = item.Data;
  out.clear();
  // Whole when an "end" line comes, after the data or after the empty line "`" that ends it.
  bool whole = false;
  for (size_t li = 1; li < count; ++li) {
    const std::string_view line = lines[li];
    if (IsEndLine(line) || line == "`") {
      whole = std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(li), lines.end(), IsEndLine);
      break;
    }
    if (line.empty()) continue;
    const unsigned char first = static_cast<unsigned char>(line[0]);
    int n;
    if (first == '`' || first == ' ') {
      n = 0;
    } else if (first >= 0x21 && first <= 0x5F) {
      n = first - 0x20;
    } else {
      LogLine(ErrorInFormatOfMsg + " " + item.Name);
      break;  // the attachment ends here, cut short; the mail is read on
    }
    const size_t chars = n * 4 / 3 == 60 ? 60 : line.size() - 1;
    unsigned char block[48] = {};
    size_t bits = 0;
    unsigned acc = 0;
    size_t produced = 0;
    for (size_t k = 0; k < chars && produced < sizeof block; ++k) {
      const unsigned char c = 1 + k < line.size() ? static_cast<unsigned char>(line[1 + k]) : '`';
      acc = (acc << 6) | ((c - 0x20) & 0x3F);
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        block[produced++] = static_cast<unsigned char>(acc >> bits);
      }
    }
    const size_t take = std::min<size_t>({static_cast<size_t>(n), produced, 45});
    out.append(reinterpret_cast<const char*>(block), take);
    progress.Line(li);
  }
  progress.Finish();
  return whole;
}

bool TVexPOP::FindUUBegin(LinesView lines, size_t& index, std::string& file_name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view l = lines[i];
    if (l.size() <= 10) continue;
    if ((l[0] | 0x20) != 'b' || (l[1] | 0x20) != 'e' || (l[2] | 0x20) != 'g' ||
        (l[3] | 0x20) != 'i' || (l[4] | 0x20) != 'n') {
      continue;
    }
    int mode = 0;
    bool digits = true;
    for (size_t k = 6; k < 9; ++k) {
      if (l[k] < '0' || l[k] > '9') digits = false;
      mode = mode * 10 + (l[k] - '0');
    }
    if (!digits || mode <= 0 || mode >= 777) continue;
    index = i;
    file_name = std::string(TrimRight(l.substr(10, 64)));
    return true;
  }
  return false;
}

}  // namespace sorami
