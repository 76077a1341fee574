// The recovery copy of the compose window: what the window holds (recipients, title, body,
// relation, category, the files to attach), kept in the data directory while a message is
// being written, so that closing the window, quitting or a signal never loses it. The texts
// are kept as typed (UTF-8), so characters that code page 932 cannot hold survive too.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "compose/ComposeCheck.h"

namespace sorami {

struct RecoveryCopy {
  ComposeFields fields;  // UTF-8, not code page 932
  std::vector<std::filesystem::path> attachments;
};

// The file's bytes: a first line naming the format, then one "name=value" line a field, with
// "\" , CR and LF written as "\\", "\r" and "\n"; one "attach=" line a file.
std::string EncodeRecovery(const RecoveryCopy& copy);
// False when the bytes are not a recovery copy; names it does not know are skipped.
bool DecodeRecovery(std::string_view bytes, RecoveryCopy& copy);

// Data/Compose.rcv
std::filesystem::path RecoveryFile(const std::filesystem::path& data_dir);
// Written atomically (a new file is private to the user); false with the reason in msg.
bool SaveRecovery(const std::filesystem::path& data_dir, const RecoveryCopy& copy,
                  std::string& msg);
// False when there is none or it cannot be read as one.
bool LoadRecovery(const std::filesystem::path& data_dir, RecoveryCopy& copy);
// The message was sent, saved as a draft or thrown away: nothing to recover.
void ClearRecovery(const std::filesystem::path& data_dir);

}  // namespace sorami
