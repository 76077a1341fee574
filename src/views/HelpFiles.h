// Where the help topics are: one "<topic>.rtf" per topic in the help directory (glDocRoot),
// found again when the directory moved, and the 14 topics in the order the topic list shows.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"

namespace sorami {

// "概要", "メイン画面", ... "設定(フォルダ設定)" (code page 932).
const std::vector<std::string>& HelpTopics();

// The file of a topic: in doc_root; else in the default help directory help_dir (the
// installed topics, or the application directory's "Help"; doc_root becomes that); else the
// first "<topic>.rtf" found below the application directory's top folder (doc_root becomes
// its folder). The search is bounded (depth and number of entries) so a huge tree cannot hold
// the window. Returns the last path tried when the topic is nowhere.
std::filesystem::path ResolveHelpFile(std::string& doc_root, const std::filesystem::path& help_dir,
                                      const std::filesystem::path& app_dir, std::string_view topic,
                                      DiagLog& log);

}  // namespace sorami
