// The navigation history: every message or help page the user opened, never shortened;
// "戻る" and "進む" move through it in a circle.
#pragma once

#include <string>
#include <string_view>

#include "shell/AppState.h"

namespace sorami {

// Appends "M" TAB key for a message, TAB key for a help topic.
void AddHistory(AppState& st, bool message, std::string_view key);

struct HistoryEntry {
  bool message = false;  // a record (key = its row) or a help topic (key = its name)
  std::string key;
};
// The entry at the history position.
HistoryEntry CurrentHistoryEntry(const AppState& st);

// Moves the position one back / forward, wrapping around; false when the history is empty.
bool HistoryBack(AppState& st);
bool HistoryForward(AppState& st);

// The recipient names shown for a record: to and to-list joined, "％" read as "%" and "、"
// as ",", split at ",", sorted and without duplicates (letter case ignored), joined by ",".
std::string SetToName(AppState& st, std::string_view to, std::string_view to_list);

}  // namespace sorami
