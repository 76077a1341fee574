#include "site/ReceiptLedger.h"

#include <algorithm>

#include "base/MbText.h"
#include "platform/AtomicFile.h"

namespace sorami {

namespace {

// A waiting receipt is one line of TAB-separated items: "%", TAB, CR and LF inside an item
// are written as "%" and two hex digits.
std::string EscapeItem(std::string_view v) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : v) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      out += '%';
      out += kHex[static_cast<unsigned char>(c) >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string UnescapeItem(std::string_view v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    const int hi = v[i] == '%' && i + 2 < v.size() ? HexDigit(v[i + 1]) : -1;
    const int lo = hi >= 0 ? HexDigit(v[i + 2]) : -1;
    if (lo >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += v[i];
    }
  }
  return out;
}

// The key is four items of its own; the host, the dynamic-host key and the fields follow.
constexpr size_t kKeyItems = 4;

std::string WaitingLine(const WaitingReceipt& r) {
  std::string line;
  std::string_view key = r.key, part;
  for (size_t i = 0; i < kKeyItems; ++i) {
    CutBytes("\t", key, part);
    line += EscapeItem(part) + '\t';
  }
  line += EscapeItem(r.host) + '\t' + EscapeItem(r.dyn_key);
  for (const std::string& f : r.fields) line += '\t' + EscapeItem(f);
  return line + "\r\n";
}

// False for a line too short to be a receipt (a damaged file loses that line only).
bool ParseWaiting(std::string_view line, WaitingReceipt& r) {
  std::vector<std::string> items;
  std::string_view item;
  while (!line.empty()) {
    CutBytes("\t", line, item);
    items.push_back(UnescapeItem(item));
  }
  if (items.size() < kKeyItems + 3) return false;
  r.key = items[0];
  for (size_t i = 1; i < kKeyItems; ++i) r.key += '\t' + items[i];
  r.host = items[kKeyItems];
  r.dyn_key = items[kKeyItems + 1];
  r.fields.assign(items.begin() + kKeyItems + 2, items.end());
  return true;
}

bool WriteData(const std::filesystem::path& file, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  return WriteFileAtomic(file, bytes);
}

}  // namespace

ReceiptLedger::ReceiptLedger(std::filesystem::path file)
    : file_(std::move(file)), waiting_file_(file_.parent_path() / "ReceiptWaiting.dat") {}

std::string ReceiptLedger::KeyOf(const TArMastd& store, int32_t row) {
  std::string key(store.Get(row, MastCol::kDate));
  for (MastCol c : {MastCol::kSender, MastCol::kSenderSite, MastCol::kServerNo}) {
    key += '\t';
    key += store.Get(row, c);
  }
  return key;
}

void ReceiptLedger::Load() {
  if (loaded_) return;
  loaded_ = true;
  std::string bytes;
  std::string_view rest, line;
  if (ReadWholeFile(file_, bytes)) {
    rest = bytes;
    while (!rest.empty()) {
      CutLine(rest, line);
      if (!line.empty()) keys_.emplace(line);
    }
  }
  if (ReadWholeFile(waiting_file_, bytes)) {
    rest = bytes;
    while (!rest.empty()) {
      CutLine(rest, line);
      WaitingReceipt r;
      if (ParseWaiting(line, r)) waiting_.push_back(std::move(r));
    }
  }
}

bool ReceiptLedger::SaveSent() const {
  std::string bytes;
  for (const std::string& k : keys_) bytes += k + "\r\n";
  return WriteData(file_, bytes);
}

bool ReceiptLedger::SaveWaiting() const {
  std::string bytes;
  for (const WaitingReceipt& r : waiting_) bytes += WaitingLine(r);
  return WriteData(waiting_file_, bytes);
}

bool ReceiptLedger::Sent(const TArMastd& store, int32_t row) {
  Load();
  return keys_.count(KeyOf(store, row)) > 0;
}

bool ReceiptLedger::AddKey(const std::string& key) {
  Load();
  keys_.insert(key);
  const bool sent_saved = SaveSent();
  // Written after the list of given ones: a crash between the two sends it twice at worst.
  return Drop(key) && sent_saved;
}

const std::vector<WaitingReceipt>& ReceiptLedger::Waiting() {
  Load();
  return waiting_;
}

bool ReceiptLedger::Wait(WaitingReceipt r) {
  Load();
  const auto same = [&r](const WaitingReceipt& w) { return w.key == r.key; };
  waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(), same), waiting_.end());
  waiting_.push_back(std::move(r));
  return SaveWaiting();
}

bool ReceiptLedger::Drop(const std::string& key) {
  Load();
  const auto same = [&key](const WaitingReceipt& w) { return w.key == key; };
  const auto end = std::remove_if(waiting_.begin(), waiting_.end(), same);
  if (end == waiting_.end()) return true;
  waiting_.erase(end, waiting_.end());
  return SaveWaiting();
}

}  // namespace sorami
