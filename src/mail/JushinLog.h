// The receive's own records: the receive log Recv.log in the data directory (one line per
// stored mail, never read back) and the history lines of the diagnostic log.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/DiagLog.h"
#include "mail/mime/MailLines.h"

namespace sorami {

class TVexMsg;

// Appends "yyyy/mm/dd hh:nn:ss", TAB, text, TAB, From, TAB, Subject, TAB, To, CR LF to
// data_dir/Recv.log, creating it when missing. A failure is logged, never raised.
void SaveJushinLog(DiagLog& log, const std::filesystem::path& data_dir, const TVexMsg& msg,
                   std::string_view text);

// ".AppendRireki : " and "yyyy/mm/dd hh:nn:ss ★-- IDPop :N 件(name)".
void AppendRireki(DiagLog& log, std::string_view name, int count);
// ".RirekiCheckHost :" with the account index.
void RirekiCheckHost(DiagLog& log, int account);

// The header block of a mail: each line up to the first empty one, trimmed, then CR LF.
std::string GetMailHeader(LinesView lines);

// The first count characters of a text, for the log.
std::string LogHead(std::string_view text, int count);

}  // namespace sorami
