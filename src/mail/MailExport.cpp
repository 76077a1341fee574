#include "mail/MailExport.h"

#include <cstdio>
#include <vector>

#include "mail/mime/Mbox.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"
#include "store/OriginalsSync.h"

namespace sorami {

namespace {

// "yyyy/mm/dd hh:nn:ss" (the record's dates); now when it reads as no date.
MailDateTime RecordDate(std::string_view text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  const std::string t(text);
  if (std::sscanf(t.c_str(), "%d/%d/%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) >= 3 && y > 1900 &&
      mo >= 1 && mo <= 12 && d >= 1 && d <= 31) {
    return EncodeMailDateTime(y, mo, d, h, mi, s);
  }
  return MailDateTimeNow();
}

MailDateTime DateOf(const TArMastd& store, int32_t row) {
  const std::string_view sent = store.Get(row, MastCol::kSendDate);
  return RecordDate(sent.empty() ? store.Get(row, MastCol::kDate) : sent);
}

// The address of a sender text ("name<a@b>" or "a@b"); empty when it holds none.
std::string AddressOf(std::string_view sender) {
  const size_t lt = sender.find('<');
  const size_t gt = sender.find('>', lt == std::string_view::npos ? 0 : lt);
  if (lt != std::string_view::npos && gt != std::string_view::npos) {
    return std::string(sender.substr(lt + 1, gt - lt - 1));
  }
  return sender.find('@') != std::string_view::npos ? std::string(sender) : std::string();
}

}  // namespace

std::string RecordAsMail(const TArMastd& store, const Originals& originals, int32_t row) {
  std::string bytes;
  if (originals.OfRecord(store, row, bytes)) return bytes;
  TextMailFields f;
  std::string from(store.Get(row, MastCol::kSender));
  const std::string_view site = store.Get(row, MastCol::kSenderSite);
  if (!site.empty() && from.find('@') == std::string::npos) {
    from += " (" + std::string(site) + ")";
  }
  f.from = Cp932ToUtf8(from);
  f.to = Cp932ToUtf8(store.Get(row, MastCol::kTo));
  f.subject = Cp932ToUtf8(store.Get(row, MastCol::kTitle));
  f.date = DateOf(store, row);
  f.body = Cp932ToUtf8(store.Get(row, MastCol::kBody));
  return MakeTextMail(f);
}

ExportOutcome ExportMbox(const TArMastd& store, const Originals& originals, std::string_view folder,
                         const std::filesystem::path& file) {
  ExportOutcome out;
  std::string mbox;
  std::string original;
  for (int32_t r = 0; r < store.CtMaster(); ++r) {
    if (store.Get(r, MastCol::kFolder) != folder) continue;
    const bool has_original = originals.OfRecord(store, r, original);
    const std::string mail = has_original ? std::move(original) : RecordAsMail(store, originals, r);
    AppendMbox(mbox, AddressOf(store.Get(r, MastCol::kSender)), DateOf(store, r), mail);
    ++out.mails;
    if (has_original) ++out.originals;
  }
  if (!WriteFileAtomic(file, mbox)) {
    out.msg = "エクスポート失敗 : "_cp932 + PathText(file);
    return out;
  }
  out.ok = true;
  out.msg = "エクスポート完了 :"_cp932 + std::to_string(out.mails) + " 件"_cp932;
  return out;
}

ImportOutcome ImportMbox(MailDrop& drop, MasterFiles& master, const std::filesystem::path& file) {
  ImportOutcome out;
  std::string text;
  if (!ReadWholeFile(file, text)) {
    out.msg = "Cannot Read: " + PathText(file);
    return out;
  }
  std::vector<std::string> mails = ReadMbox(text);
  text.clear();
  out.mails = static_cast<int>(mails.size());
  MailDrop place = drop;
  place.skip_duplicates = true;
  for (size_t i = 0; i < mails.size(); ++i) {
    const NewMail mail = MakeNewMail(place, static_cast<int>(i) + 1, std::move(mails[i]));
    if (mail.stored) {
      ++out.stored;
    } else if (mail.duplicate) {
      ++out.duplicates;
    } else {
      ++out.failed;
      out.msg = mail.failure;
    }
  }
  if (out.stored > 0) {
    std::string msg;
    if ((drop.originals && !SyncOriginals(*drop.originals, msg)) ||
        !SaveMaster(master, drop.store, msg)) {
      out.msg = msg;
      return out;
    }
  }
  out.ok = out.failed == 0;
  if (out.ok) out.msg = "インポート完了 :"_cp932 + std::to_string(out.stored) + " 件"_cp932;
  return out;
}

}  // namespace sorami
