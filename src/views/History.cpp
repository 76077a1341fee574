#include "views/History.h"

#include <algorithm>
#include <vector>

#include "base/MbText.h"
#include "platform/Codepage.h"

namespace sorami {

void AddHistory(History& h, bool message, std::string_view key) {
  h.entries.push_back((message ? "M\t" : "\t") + std::string(key));
}

HistoryEntry CurrentHistoryEntry(const History& h) {
  HistoryEntry e;
  if (h.pos < 0 || static_cast<size_t>(h.pos) >= h.entries.size()) return e;
  std::string text = h.entries[static_cast<size_t>(h.pos)];
  std::string kind;
  SplitToken("\t", text, kind);
  e.message = kind == "M";
  e.key = text;
  return e;
}

bool HistoryBack(History& h) {
  if (h.entries.empty()) return false;
  if (--h.pos < 0) h.pos = static_cast<int>(h.entries.size()) - 1;
  return true;
}

bool HistoryForward(History& h) {
  if (h.entries.empty()) return false;
  if (++h.pos >= static_cast<int>(h.entries.size())) h.pos = 0;
  return true;
}

namespace {

// Orders names without regard to the case of Latin letters (single-byte characters only;
// the bytes of double-byte characters are compared as they are).
std::string FoldKey(std::string_view s) {
  std::string k(s);
  for (size_t i = 0; i < k.size(); i += MbCharLen(k, i)) {
    if (MbCharLen(k, i) == 1 && k[i] >= 'A' && k[i] <= 'Z') k[i] = static_cast<char>(k[i] + 32);
  }
  return k;
}

}  // namespace

std::string SetToName(DiagLog& log, std::string_view to, std::string_view to_list) {
  log.Log(".SetToName :" + std::string(to) + "," + std::string(to_list));
  std::string text = std::string(to) + "," + std::string(to_list);
  ReplaceAll("％"_cp932, "%", text);
  ReplaceAll("、"_cp932, ",", text);
  std::vector<std::pair<std::string, std::string>> names;  // (fold key, name)
  std::string piece;
  while (!text.empty()) {
    SplitToken(",", text, piece);
    if (piece.empty()) continue;
    std::string key = FoldKey(piece);
    auto it = std::lower_bound(names.begin(), names.end(), key,
                               [](const auto& a, const std::string& k) { return a.first < k; });
    if (it != names.end() && it->first == key) continue;  // the first spelling stays
    names.insert(it, {std::move(key), piece});
  }
  std::string out;
  for (const auto& [key, name] : names) {
    if (!out.empty()) out += ",";
    out += name;
  }
  return out;
}

}  // namespace sorami
