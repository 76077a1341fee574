#include "mail/mime/ReceivedMail.h"

#include <exception>

#include "base/DiagLog.h"
#include "mail/mime/KanjiCode.h"

namespace sorami {

namespace {

bool IsJis(std::string_view text) {
  const int code = DetectKanjiCode(text);
  return code == kCodeJis || code == kCodeJisOld;
}

void FixJis(std::string& field) {
  if (IsJis(field)) field = JisToSjis(field);
}

// "$B" and "(B"/"(J" without their ESC bytes: puts the escapes back when every run between
// them is whole JIS pairs, so that an ordinary subject starting "$B" is left alone.
bool RestoreLostEscapes(std::string& subject) {
  std::string jis;
  bool kanji = false, returned = false;
  size_t run = 0;
  for (size_t i = 0; i < subject.size(); ++i) {
    const std::string_view rest = std::string_view(subject).substr(i);
    if (rest.starts_with("$B") || rest.starts_with("$@")) {
      if (kanji && run % 2 != 0) return false;
      jis += '\x1B';
      jis.append(rest.substr(0, 2));
      kanji = true;
      run = 0;
      ++i;
      continue;
    }
    if (kanji && (rest.starts_with("(B") || rest.starts_with("(J"))) {
      if (run % 2 != 0) return false;
      jis += '\x1B';
      jis.append(rest.substr(0, 2));
      kanji = false;
      returned = true;
      ++i;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(subject[i]);
    if (kanji && (c < 0x21 || c > 0x7E)) return false;
    if (kanji) ++run;
    jis += subject[i];
  }
  if (!returned || (kanji && run % 2 != 0)) return false;
  subject = JisToSjis(jis);
  return true;
}

}  // namespace

void ApplyReceiveFixes(TVexMsg& msg) {
  const std::string body = msg.BodyText();
  if (DetectKanjiCode(body) == kCodeJis) msg.Text = SplitLines(JisToSjis(body));
  FixJis(msg.Subject);
  FixJis(msg.From);
  FixJis(msg.ReplyTo);
  FixJis(msg.CC);
  FixJis(msg.SendTo);
  if (msg.Subject.starts_with("$B")) RestoreLostEscapes(msg.Subject);
  for (TAttachedFile& item : msg.Attachments) FixJis(item.Name);
}

bool ParseReceivedMail(TVexPOP& parser, TVexMsg& msg) {
  try {
    parser.GetBasicHeaders(msg);
    parser.ParseMsg(msg, msg.Lines.view());
  } catch (const std::exception& e) {
    msg.Damage.emplace_back(e.what());
  }
  ApplyReceiveFixes(msg);
  if (parser.Log) {
    for (const std::string& damage : msg.Damage) parser.Log->Log(" error(vexpop1) " + damage);
  }
  return msg.Damage.empty();
}

}  // namespace sorami
