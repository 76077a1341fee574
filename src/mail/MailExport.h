// Moving mail between this program and other mail programs: a folder written as an mbox
// file, and the mails of an mbox file filed in the inbox as received mail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "mail/MakeNewMail.h"
#include "store/MastStore.h"
#include "store/MasterFile.h"
#include "store/Originals.h"

namespace sorami {

// A record as a mail file: its original when it has one, else a plain-text UTF-8 mail made
// of its sender, recipient, date, title and body.
std::string RecordAsMail(const TArMastd& store, const Originals& originals, int32_t row);

struct ExportOutcome {
  bool ok = false;
  int mails = 0;      // mails written
  int originals = 0;  // of them, written from their originals
  std::string msg;    // code page 932: "エクスポート完了 :N 件" or why it failed
};

// Writes every record of the folder (code page 932 name) to an mbox file, atomically.
ExportOutcome ExportMbox(const TArMastd& store, const Originals& originals, std::string_view folder,
                         const std::filesystem::path& file);

struct ImportOutcome {
  bool ok = false;
  int mails = 0;       // mails in the file
  int stored = 0;      // filed in the inbox
  int duplicates = 0;  // held by the store already, not filed again
  int failed = 0;      // could not be stored (a file could not be written)
  std::string msg;     // code page 932: "インポート完了 :N 件" or why it failed
};

// Files each mail of an mbox file in the inbox as a received mail (its original kept, its
// attachments saved, a line in Recv.log); a mail the store holds already is skipped. The
// store is saved when anything was filed.
ImportOutcome ImportMbox(MailDrop& drop, MasterFiles& master, const std::filesystem::path& file);

}  // namespace sorami
