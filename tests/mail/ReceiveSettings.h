// The mail page's receive settings pointed at the tests' Dovecot, written where and as the page
// writes them, for the command-line receives the tests run.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/IniStore.h"
#include "support/Dovecot.h"

namespace sorami::test {

// The server's address, user and password and its CA file; the port, the security box's index
// and the protocol given; mail left on the server.
inline void WriteReceiveSettings(const std::filesystem::path& config, const Dovecot& server,
                                 int port, long security_index, bool imap = false) {
  IniStore ini = Registry(config).Open(kCommonKey);
  ini.WriteString("Setting", "fmKairoSettei.EdPop", "127.0.0.1");
  ini.WriteString("Setting", "fmKairoSettei.EdPopUser", Dovecot::kUser);
  ini.WriteString("Setting", "fmKairoSettei.EdMailPass", Dovecot::kPassword);
  ini.WriteString("Setting", "fmKairoSettei.PopPort", std::to_string(port));
  ini.WriteInteger("Setting", "fmKairoSettei.CbPopTls", security_index);
  ini.WriteInteger("Setting", "fmKairoSettei.CbJushinHoushiki", imap ? 1 : 0);
  ini.WriteBool("Setting", "fmKairoSettei.CkNokosu", true);
  ini.WriteString("Setting", "fmKairoSettei.TlsCaFile", server.ca_file().string());
  ASSERT_TRUE(ini.Save());
}

}  // namespace sorami::test
