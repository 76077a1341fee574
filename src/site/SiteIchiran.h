// Two requests of their own: the list of public sites, asked of the current account's host, and
// the deposit ("AZUKARI") of a request that could not reach its host with the directory server.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "site/SiteSession.h"

namespace sorami {

// Asks the login's host for the public sites ("SITELIST" under the request kind "GETHOST").
// On success `text` is what the message pane shows, "(公開サイト一覧)" followed by the list, and
// msg "取得完了"; on failure msg is the request's and text is untouched.
bool SiteIchiran(SiteSession& ss, const SiteAccount& login, std::string& text, std::string& msg);

// Leaves a request (its "NAME=value" fields) with the directory server for the host of the
// dynamic-host key dyn ("prefix$key"), adding "OPTION=AZUKARI" and "DYNAMIC=" dyn. mode is
// always -1. msg gets the fields sent (lines joined by CR LF), then the raw answer and its
// value; on a failed request "預かり処理失敗 :" and the URL instead of the answer. True when
// the directory server accepted it. Writes no log lines: the caller logs msg.
bool AzukariSend(SiteSession& ss, std::int16_t mode, const std::string& dyn,
                 std::vector<std::string> fields, std::string& msg);

}  // namespace sorami
