// sorami-cli list / show: what the message list and the message pane would show, read from
// the master file without changing anything.
#include <cstdio>
#include <string>
#include <vector>

#include "base/MbText.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "mail/mime/UnicodeMail.h"
#include "platform/Codepage.h"
#include "store/MasterFile.h"
#include "views/FolderTree.h"
#include "views/History.h"
#include "views/MessageList.h"

namespace sorami::cli {

bool ParseIndex(const std::string& s, long& v) {
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  v = std::stol(s);
  return true;
}

namespace {

// A tree node from its text (as shown, or the folder it stands for) or its index.
bool ResolveNode(const std::string& arg, int& node, std::string& folder) {
  const auto nodes = SystemNodeTexts();
  long index = 0;
  if (ParseIndex(arg, index)) {
    if (index >= static_cast<long>(nodes.size())) return false;
    node = static_cast<int>(index);
    folder = NodeFolder(nodes[static_cast<size_t>(index)]);
    return true;
  }
  const std::string text = Utf8ToCp932(arg);
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (text == nodes[i] || text == NodeFolder(nodes[i])) {
      node = static_cast<int>(i);
      folder = NodeFolder(nodes[i]);
      return true;
    }
  }
  node = static_cast<int>(nodes.size());  // a user folder
  folder = NodeFolder(text);
  return !folder.empty();
}

// A column from its caption or its number.
bool ResolveColumn(const std::string& arg, int& col) {
  long index = 0;
  if (ParseIndex(arg, index)) {
    col = static_cast<int>(index);
    return index < kListColumns;
  }
  const std::string text = Utf8ToCp932(arg);
  for (int c = 0; c < kListColumns; ++c) {
    if (ListColumn(static_cast<ListCol>(c)).caption == text) {
      col = c;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ReadStore(AppState& st) {
  std::string msg;
  if (ReadMaster(st.master, st.store, msg)) return true;
  PrintError(msg);
  return false;
}

int CliList(AppState& st, const std::vector<std::string>& args) {
  if (args.empty()) return kExitUsage;
  int node = 0;
  std::string folder;
  if (!ResolveNode(args[0], node, folder)) return kExitUsage;
  std::vector<int> sorts;
  for (size_t i = 1; i < args.size(); ++i) {
    int col = 0;
    if (args[i] != "--sort" || i + 1 >= args.size() || !ResolveColumn(args[i + 1], col)) {
      return kExitUsage;
    }
    sorts.push_back(col);
    ++i;
  }
  st.master.read_only = true;  // list and show change no file
  if (!ReadStore(st)) return kExitFailed;
  MessageList list;
  list.Fill(st.store, node, folder);
  for (int col : sorts) list.ColumnClick(st.store, static_cast<ListCol>(col));
  PrintListRows(st.store, list);
  return kExitOk;
}

void AppendListRow(std::string& out, const TArMastData& rec, int32_t row) {
  out += "{\"index\": ";
  out += std::to_string(row);
  out += ", \"cols\": [";
  for (int c = 0; c < kListColumns; ++c) {
    if (c > 0) out += ", ";
    const auto col = static_cast<ListCol>(c);
    if (col == ListCol::kIndex || col == ListCol::kBody) {
      AppendJsonText(out, ListText(rec, row, col));
    } else {
      AppendJsonText(out, ListFieldText(rec, col));  // no copy of the field
    }
  }
  out += "]}\n";
}

void PrintListRows(const TArMastd& store, const MessageList& list) {
  // The lines go out in batches, built in one buffer.
  std::string out;
  out.reserve(1 << 17);
  for (const int32_t row : list.rows()) {
    AppendListRow(out, store.Row(row), row);
    if (out.size() >= (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

int CliShow(AppState& st, const std::vector<std::string>& args) {
  long row = 0;
  if (args.size() != 1 || !ParseIndex(args[0], row)) return kExitUsage;
  st.master.read_only = true;  // list and show change no file
  if (!ReadStore(st)) return kExitFailed;
  if (row >= st.store.CtMaster()) {
    PrintError("エラー(HyoujiMessage)"_cp932);
    return kExitFailed;
  }
  const auto r = static_cast<int32_t>(row);
  const TArMastd& s = st.store;
  // Every value as UTF-8; a mail kept as its server sent it shows its own full text.
  std::pair<const char*, std::string> labels[] = {
      {"LabelFromID", Cp932ToUtf8(s.Get(r, MastCol::kSender))},
      {"LabelTitle", Cp932ToUtf8(s.Get(r, MastCol::kTitle))},
      {"LabelToName",
       Cp932ToUtf8(SetToName(st.log, s.Get(r, MastCol::kTo), s.Get(r, MastCol::kToList)))},
      {"LabelFromDate", Cp932ToUtf8(s.Get(r, MastCol::kDate))},
      {"LabelUptime", Cp932ToUtf8(s.Get(r, MastCol::kReadDate))},
      {"LabelFolder", Cp932ToUtf8(s.Get(r, MastCol::kFolder))},
      {"LabelCC", Cp932ToUtf8(s.Get(r, MastCol::kCc))},
      {"LabelBcc", Cp932ToUtf8(s.Get(r, MastCol::kBcc))},
      // The displayed kind: "メール" or "メッセージ".
      {"kind",
       Cp932ToUtf8(s.Get(r, MastCol::kCategory) == MailCategory() ? MailCategory()
                                                                  : FolderName(Folder::kRoot))},
      {"body", Cp932ToUtf8(UnescapeField(s.Get(r, MastCol::kBody)))},
  };
  std::string original;
  const bool has_original = st.originals.OfRecord(s, r, original);
  if (has_original) {
    const UnicodeMail mail = ReadUnicodeMail(original);
    labels[0].second = mail.from;
    labels[1].second = mail.subject;
    labels[2].second = mail.to;
    labels[6].second = mail.cc;
    labels[9].second = mail.body;
  }
  std::string out = "{";
  for (const auto& [name, value] : labels) {
    if (out.size() > 1) out += ", ";
    out += JsonUtf8(name) + ": " + JsonUtf8(value);
  }
  out += std::string(", \"original\": ") + (has_original ? "true" : "false") + "}";
  std::puts(out.c_str());
  return kExitOk;
}

}  // namespace sorami::cli
